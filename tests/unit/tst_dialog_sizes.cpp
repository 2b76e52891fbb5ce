// The small windows and the font chooser at the interface fonts desktops use: every caption,
// field and button shows whole, inside the window, and the window keeps its designed size as
// the least it has.

#include "platform/desktop/FontColorDialog.h"
#include "platform/ui/WindowGeometry.h"
#include "tests/support/MainWindowFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>
#include <cmath>

namespace {

// What the user reads or types into: it shows whole when it has at least its minimum size hint
// (a caption's whole text) and lies inside the window.
void checkWhole(QWidget *window)
{
    const QRect inside = window->rect();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const bool shown = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)
                           || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
                           || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QGroupBox *>(w)
                           || qobject_cast<QProgressBar *>(w) || qobject_cast<QPlainTextEdit *>(w);
        if (!shown || !w->isVisibleTo(window) || w->window() != window || qobject_cast<QAbstractButton *>(w->parent()))
            continue;
        const QString what = w->objectName() + QLatin1Char(' ') + w->property("text").toString();
        QVERIFY2(inside.contains(QRect(w->mapTo(window, QPoint(0, 0)), w->size())), qPrintable(what));
        const QSize least = w->minimumSizeHint();
        QVERIFY2(w->width() >= least.width() && w->height() >= least.height(), qPrintable(what));
    }
}

QSize designed(int widthTwips, int heightTwips)
{
    return QSize(int(std::nearbyint(widthTwips / platform::WindowGeometry::twipsPerPixelX())),
                 int(std::nearbyint(heightTwips / platform::WindowGeometry::twipsPerPixelY())));
}

} // namespace

class TestDialogSizes : public QObject {
    Q_OBJECT
    QFont m_font;
    std::unique_ptr<testing::MainWindowRun> run;

private Q_SLOTS:
    void initTestCase() { m_font = QApplication::font(); }

    void init()
    {
        QFETCH(int, points);
        QFont font = m_font;
        font.setPointSize(points);
        QApplication::setFont(font);
        run = std::make_unique<testing::MainWindowRun>();
        run->start();
        run->frm.textBox().setText("x");
    }

    void cleanup()
    {
        run.reset();
        QApplication::setFont(m_font);
    }

    void windowsShowWhole_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("window");
        for (const int points : {9, 11, 12}) {
            for (const char *window : {"FrmFind", "FrmReplace", "FrmGoTo", "FrmPrintSetup", "FrmAbout", "font"})
                QTest::addRow("%s at %d pt", window, points) << points << QString::fromLatin1(window);
        }
    }

    void windowsShowWhole()
    {
        QFETCH(QString, window);
        FrmMain &frm = run->frm;
        const QMap<QString, QSize> sizes = {{"FrmFind", designed(5175, 1455)},
                                            {"FrmReplace", designed(5295, 1815)},
                                            {"FrmGoTo", designed(3975, 1455)},
                                            {"FrmPrintSetup", designed(4500, 1740)},
                                            {"FrmAbout", designed(5535, 5295)}};
        const auto check = [&](QWidget *w) {
            QVERIFY(w && w->isVisible());
            checkWhole(w);
            if (sizes.contains(window)) {
                QVERIFY(w->width() >= sizes[window].width() && w->height() >= sizes[window].height());
                QCOMPARE(w->minimumSize(), w->maximumSize());   // still a fixed frame
            }
        };
        if (window == "font") {
            platform::FontColorDialog chooser(platform::FontSpec{}, 0, 8, 72, &frm);
            chooser.show();
            QVERIFY(QTest::qWaitForWindowExposed(&chooser));
            check(&chooser);
        } else if (window == "FrmPrintSetup" || window == "FrmAbout") {
            bool checked = false;
            QTimer::singleShot(0, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                check(modal);
                checked = true;
                if (modal)
                    modal->close();
            });
            run->named(window == "FrmAbout" ? "mnuAbout" : "mnuPrintSetup")->trigger();
            QVERIFY(checked);
        } else {
            if (window == "FrmFind")
                frm.mnuFind_Click();
            else if (window == "FrmReplace")
                frm.mnuReplace_Click();
            else
                frm.mnuGoTo_Click();
            check(frm.findChild<QDialog *>(window));
        }
    }
};

QTEST_MAIN(TestDialogSizes)
#include "tst_dialog_sizes.moc"
