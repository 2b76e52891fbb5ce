#include "tests/support/ScriptedPlatform.h"

#include "platform/interfaces/RuntimeError.h"

#include <QDebug>
#include <QPainter>
#include <QPrinter>

namespace testing {

using platform::MsgAnswer;
using platform::MsgButtons;

static MsgAnswer defaultAnswer(const platform::MessageRequest &r)
{
    switch (r.buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::OkCancel: return r.defaultButton == 2 ? MsgAnswer::Cancel : MsgAnswer::Ok;
    case MsgButtons::YesNo: return r.defaultButton == 2 ? MsgAnswer::No : MsgAnswer::Yes;
    case MsgButtons::YesNoCancel:
        return r.defaultButton == 3 ? MsgAnswer::Cancel : r.defaultButton == 2 ? MsgAnswer::No : MsgAnswer::Yes;
    }
    return MsgAnswer::Ok;
}

MsgAnswer ScriptedMessages::show(QWidget *, const platform::MessageRequest &request)
{
    if (onShow)
        onShow(request);
    MsgAnswer answer = defaultAnswer(request);
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    asked.append({request, answer});
    return answer;
}

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    for (const auto &a : asked)
        out << a.request.text;
    return out;
}

QString ScriptedDialogs::openFile(QWidget *, const platform::FileDialogRequest &request)
{
    openRequests.append(request);
    if (openAnswers.empty())
        return {};
    QString answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::saveFile(QWidget *, const platform::FileDialogRequest &request, int &chosenFilter)
{
    saveRequests.append(request);
    if (saveAnswers.empty())
        return {};
    auto [path, filter] = saveAnswers.front();
    saveAnswers.pop_front();
    if (!path.isEmpty())
        chosenFilter = filter;
    return path;
}

bool ScriptedDialogs::chooseColor(QWidget *, quint32 &colour, const QList<quint32> &customColors)
{
    colorCustomSets.append(customColors);
    colorInitial.append(colour);
    if (colorAnswers.empty())
        return false;
    auto answer = colorAnswers.front();
    colorAnswers.pop_front();
    if (!answer)
        return false;
    colour = *answer;
    return true;
}

bool ScriptedDialogs::chooseFont(QWidget *, platform::FontSpec &font, quint32 &colour, int minSize, int maxSize)
{
    fontCalls.append({font, colour, minSize, maxSize});
    if (fontAnswers.empty())
        return false;
    auto answer = fontAnswers.front();
    fontAnswers.pop_front();
    if (!answer)
        return false;
    font = answer->first;
    colour = answer->second;
    return true;
}

int ScriptedShell::open(QWidget *, const QString &file)
{
    opened << file;
    return existing.contains(file) ? 42 : 2;
}

std::optional<QString> MemorySettings::read(const QString &section, const QString &key)
{
    if (readFails)
        throw std::runtime_error("settings store unreadable");
    auto it = values.constFind(section + '/' + key);
    if (it == values.cend())
        return std::nullopt;
    return *it;
}

bool MemorySettings::write(const QString &section, const QString &key, const QString &value)
{
    if (failAfterWrites >= 0 && writeLog.size() >= failAfterWrites)
        return false;
    writeLog << section + '/' + key;
    values.insert(section + '/' + key, value);
    return true;
}

bool ScriptedPrograms::start(const QString &path, const QStringList &arguments)
{
    started << (QStringList{path} + arguments);
    return !failing.contains(path);
}

void PdfPrinters::stall(Step step)
{
    const std::lock_guard lock(m_mutex);
    m_stalled = step;
    m_stallChanged.notify_all();
}

void PdfPrinters::answer(Step step)
{
    std::unique_lock lock(m_mutex);
    m_stallChanged.wait(lock, [&] { return m_stalled != step; });
}

std::unique_ptr<QPrinter> PdfPrinters::defaultPrinter(int &errorCode)
{
    answer(Step::Asking);
    if (error) {
        errorCode = error;
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath(++jobs));
    return printer;
}

int PdfPrinters::handOver(QPainter &painter)
{
    answer(Step::HandingOver);
    if (!painter.end())
        return platform::ErrorCode::PrinterError;
    ++handedOver;
    return handOverError;
}

} // namespace testing
