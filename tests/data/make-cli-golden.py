#!/usr/bin/env python3
"""Writes the cli-* golden files of tests/data (the command-line tool's inputs and expected outputs).

Run from this folder; the files it makes are committed."""

CRLF = b"\r\n"


def write(name, items):
    with open(name, "wb") as f:
        f.write(b"".join(i.encode("cp1251") + CRLF for i in items))


TEXTS = ["Определение роста по позвонкам", "Рост по позвонкам.doc", "Приложение № ", "Экспертиза № ",
         "Эксперт", "Иванов И.И.", "Судебная медицина, 1998", "Бюро СМЭ", "07.12.2024"]

write("cli-example.rpt", ["R2", *TEXTS, "1", "Передняя высота тела 1 позвонка", "1", "1", "0", "2",
                          "22.2", "23.7", "ВЖ", "23.7", "27.7", "Н", "1", "Рост", "#R(1)"])
write("cli-example.txt", ["Определение роста по позвонкам", "Передняя высота тела 1 позвонка",
                          "22.2\t23.7\tВЖ", "23.7\t27.7\tН", "", "Рост\t#R(1)"])

R1_TEXTS = ["Цвет волос", "Волосы.doc", "Дело № ", "Акт № ", "Эксперт", "Петров П.П.", "", "Бюро СМЭ",
            "1.2.2003"]
ROWS = ["Светлые", "", "С", "Тёмные", "", "Т"]
write("cli-r1.rpt", ["R1", *R1_TEXTS, "1", "Волосы", "0", "0", "2", *ROWS, "1", "Цвет", "#R(1)"])
write("cli-r1-converted.rpt", ["R2", *R1_TEXTS, "1", "Волосы", "0", "0", "0", "2", *ROWS, "1", "Цвет", "#R(1)"])

# Two parameters and one result, holding each thing the runner would stumble on.
write("cli-warnings.rpt", ["R2", *TEXTS, "2",
                           "Длина", "7", "1", "1", "#P(3) + #N(0) + #P(2) + #P( (1+2)^2 ) + #I(ВЖ)",
                           "1", "1", "", "#X(2)",
                           "Пол", "2", "0", "0",
                           "3", "м", "", "#R(1)", "ж", "", "#N( 3 )", "?", "", "#S",
                           "1", "Итог", "#X(1) + #R(2) + #R(-1)"])
