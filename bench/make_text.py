#!/usr/bin/env python3
"""Writes the benchmark documents: a deterministic Russian text in Windows-1251 with CR LF line
ends (about 70 characters a line: Cyrillic and Latin words, digits, punctuation) and its UTF-8
twin, converted with iconv.

    make_text.py OUT_DIR [SIZE_BYTES [one-line]]     (default 20 MiB)

Writes OUT_DIR/text-cp1251.txt and OUT_DIR/text-utf8.txt; the same seed gives the same bytes.
With "one-line" the lines are joined by spaces: the whole text is a single line."""

import os
import random
import subprocess
import sys

WORDS_RU = (
    "и в не на я что тот быть с а весь это как она по но они к у ты из мы за вы так же от сказать "
    "этот который мочь человек о один еще бы такой только себя свое какой когда уже для вот кто да "
    "говорить год знать мой до или если время рука нет самый ни стать большой даже другой наш свой "
    "ну под где дело есть сам раз чтобы два там чем глаз жизнь первый день тута во ничто потом очень "
    "со хотеть ли при голова надо без видеть идти теперь тоже стоять друг дом сейчас можно после "
    "слово здесь думать место спросить через лицо что-то тогда ведь хороший каждый новый жить "
    "должный смотреть почему потому сторона просто нога сидеть понять иметь конечный делать вдруг "
    "над взять никто сделать дверь перед нужный понимать казаться работа три ваш уж земля конец "
    "несколько час голос город последний пока хорошо давать вода более хотя всегда второй куда "
    "пойти стол ребёнок увидеть сила отец женщина машина случай ночь сразу мир совсем остаться "
    "об вид выйти дать работать любить старый почти ряд оказаться начало твой вопрос много война "
    "снова ответить между подумать опять белый деньги значить про лишь минута жена посмотреть "
    "правда главный страна свет ждать мать будто никогда товарищ дорога однако лежать именно окно "
    "никакой найти писать комната Москва часть вообще книга маленький улица решить далёкий душа "
    "чуть вернуться утро некоторый считать сколько помнить вечер пол таки получить народ плечо "
    "хоть сегодня бог вместе взгляд ходить зачем советский русский бывать полный прийти палец "
    "Россия любой история наконец мысль узнать назад общий заметить словно прошлый уйти известный "
    "давно слышать слушать бояться сын нельзя прямо долго быстро лес похожий пора пять глядеть "
    "оно сесть объём ёж щётка съезд подъезд Цюрих шёпот эхо юг ящик ЭВМ ГОСТ Ёлка Щука Ъ"
).split()
WORDS_LATIN = "Qt Linux text file editor buffer index line page byte code UTF-8 CP1251 ISO OK".split()
PUNCT_AFTER = [",", ",", ";", ":", " —", "", "", "", "", "", "", ""]
SENTENCE_END = [".", ".", ".", "!", "?", "...", "."]


def make_line(rng, target):
    parts = []
    length = 0
    capital = True
    while length < target:
        r = rng.random()
        if r < 0.08:
            word = rng.choice(WORDS_LATIN)
        elif r < 0.14:
            word = str(rng.randrange(0, 100000 if r < 0.11 else 2100))
        elif r < 0.16:
            word = "«" + rng.choice(WORDS_RU) + "»"
        elif r < 0.17:
            word = "(" + rng.choice(WORDS_RU) + ")"
        else:
            word = rng.choice(WORDS_RU)
        if capital:
            word = word[:1].upper() + word[1:]
            capital = False
        if rng.random() < 0.12:
            word += rng.choice(SENTENCE_END)
            capital = True
        else:
            word += rng.choice(PUNCT_AFTER)
        parts.append(word)
        length += len(word) + 1
    return " ".join(parts)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    size = int(sys.argv[2]) if len(sys.argv) > 2 else 20 * 1024 * 1024
    end = b" " if len(sys.argv) > 3 and sys.argv[3] == "one-line" else b"\r\n"
    os.makedirs(out_dir, exist_ok=True)
    cp1251 = os.path.join(out_dir, "text-cp1251.txt")
    utf8 = os.path.join(out_dir, "text-utf8.txt")

    rng = random.Random(20240611)
    lines = []
    total = 0
    while total < size:
        line = make_line(rng, rng.randint(58, 76)).encode("cp1251") + end
        if total + len(line) > size:
            # The last line fills the size exactly.
            rest = size - total
            line = line[:max(rest - len(end), 0)] + end[: min(rest, len(end))]
        lines.append(line)
        total += len(line)
    with open(cp1251, "wb") as f:
        f.write(b"".join(lines))
    with open(utf8, "wb") as f:
        subprocess.run(["iconv", "-f", "CP1251", "-t", "UTF-8", cp1251], stdout=f, check=True)
    print(f"{cp1251}: {os.path.getsize(cp1251)} bytes, {len(lines)} lines")
    print(f"{utf8}: {os.path.getsize(utf8)} bytes")


if __name__ == "__main__":
    main()
