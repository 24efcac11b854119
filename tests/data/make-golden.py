#!/usr/bin/env python3
"""Writes the golden files of tests/data by hand, independently of the writer under test.

Run from this folder; the files it makes are committed."""

CRLF = b"\r\n"


def enc(text):
    return text.encode("cp1251")


def lines(*items):
    return b"".join(enc(i) + CRLF for i in items)


TEXTS = [
    "ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ",
    "PrintForm.doc",
    "Приложение № ",
    "к заключению эксперта (к акту) № ",
    "Эксперт",
    "Ведунов П.Р.",
    'А. Н. Ключева, Г. С. Тармин. "Судебно-медицинское отождествление личности по костным останкам." '
    "Издательство Сарат. ун-та, 1978",
    "Заречное ОБСМЭ",
    "06.12.2026",
]

EXAMPLE = ["R2", *TEXTS, "1", "Передняя высота тела 1 позвонка", "1", "1", "0", "2",
           "22.2", "23.7", "ВЖ", "23.7", "27.7", "Н", "1", "Рост", "#R(1)"]

files = {
    "example.rpt": lines(*EXAMPLE),
    "example-table.txt": lines(TEXTS[0], "Передняя высота тела 1 позвонка", "22.2\t23.7\tВЖ",
                               "23.7\t27.7\tН", "", "Рост\t#R(1)"),
    "empty.rpt": lines("R2", *[""] * 9, "0", "0"),
    "empty-table.txt": lines(""),
    # Every kind of parameter block: formula, empty formula, odd kind, no rows, hidden upper bounds.
    "mixed.rpt": lines("R2", *TEXTS,
                       "4",
                       "Волосы", "0", "0", "1", "#P(2)*2", "2", "светлые", "скрыто", "1", "тёмные", "", "2",
                       "Возраст", "2", "1", "1", "", "1", "30", "", "#P(1)",
                       "Странный", "7", "0", "0", "0",
                       "Длина", "1", "1", "0", "1", "10", "20", "А",
                       "2", "Рост", "#R(1)", "Сумма", "#S"),
    "mixed-table.txt": lines(TEXTS[0],
                             "Волосы\t#P(2)*2", "светлые\t1", "тёмные\t2", "",
                             "Возраст\t", "30\t#P(1)", "",
                             "Странный", "",
                             "Длина", "10\t20\tА", "",
                             "Рост\t#R(1)", "Сумма\t#S"),
    "r1-hair.rpt": lines("R1", *TEXTS, "1", "Волосы", "0", "0", "2", "светлые", "", "1", "тёмные", "", "2",
                         "1", "Итог", "#R(1)"),
    "r1-hair-as-r2.rpt": lines("R2", *TEXTS, "1", "Волосы", "0", "0", "0", "2", "светлые", "", "1", "тёмные",
                               "", "2", "1", "Итог", "#R(1)"),
}

for name, data in files.items():
    with open(name, "wb") as f:
        f.write(data)
