#include "HelpText.h"

namespace vornak {

namespace {

std::array<QString, 8> buildPieces() {
    const QString crlf = QStringLiteral("\r\n");
    std::array<QString, 8> pieces;
    // The list kind.
    pieces[0] = QStringLiteral("\"Список\" - параметр может иметь одно из нескольких возможных значений.") +
                crlf + QStringLiteral("Например: \"Волосы: черные, белые, русые, рыжие...\"") + crlf;
    // The range kind.
    pieces[1] = QStringLiteral("\"Диапазон\" - значение параметра вычисляется по таблице диапазонов чисел.") +
                crlf + QStringLiteral("Каждому диапазону соответствует свой результат.") + crlf +
                QStringLiteral("Например: \"Передняя высота тела 1 позвонка: [22.2 - 23.7) = ВЖ, "
                               "[23.7 - 27.7) = Н\"") +
                crlf;
    // The input kind.
    pieces[2] = QStringLiteral("\"Ввод\" - ввод любой строки или числа.") + crlf +
                QStringLiteral("Например: \"Длина волоса:\"") + crlf;
    // The computed codes.
    pieces[3] = crlf + QStringLiteral("Вычисляемые коды вставляются в результаты и в формулы:") + crlf +
                QStringLiteral("#P(n) - значение параметра № n") + crlf +
                QStringLiteral("#R(n) - результат параметра № n") + crlf +
                QStringLiteral("#X(n) - результат № n в таблице результатов") + crlf +
                QStringLiteral("#I(Str) - кол-во строк \"Str\" во всех введенных значениях") + crlf +
                QStringLiteral("#C(Str) - кол-во строк \"Str\" во всех результатах") + crlf +
                QStringLiteral("#S - сумма чисел во всех введенных значениях (не числа игнорируются)") +
                crlf + QStringLiteral("#T - сумма чисел во всех результатах") + crlf;
    // The mathematical functions.
    pieces[4] =
        crlf + QStringLiteral("Математические функции: sin, cos, tan, cot, asin, acos, atan, sqrt, ^, "
                              "exp, abs, ceil, floor, lg, ln.");
    // Strings in results.
    pieces[5] =
        crlf +
        QStringLiteral("Если результат кода - строка, то она объединяется с другими числами или строками.") +
        crlf;
    // Examples.
    pieces[6] = crlf + QStringLiteral("Примеры использования кодов:") + crlf +
                QStringLiteral("#P(1) + #P(2) + \" см.\"") + crlf + QStringLiteral("#R(10)*2") + crlf +
                QStringLiteral("#C(ВЖ)") + crlf +
                QStringLiteral("#P(1)+#P(2) + \" см. \" + sin(PI/2) + #P( (1+2)^2 )") + crlf;
    // Codes for the Word document.
    pieces[7] = crlf + QStringLiteral("Коды для вставки в документ \"Word\"-а:") + crlf +
                QStringLiteral("#N(n) - название параметра № n") + crlf +
                QStringLiteral("#P(n) - значение параметра № n") + crlf +
                QStringLiteral("#R(n) - результат параметра № n") + crlf +
                QStringLiteral("#X(n) - результат № n в таблице результатов");
    return pieces;
}

} // namespace

const std::array<QString, 8>& helpTextPieces() {
    static const std::array<QString, 8> pieces = buildPieces();
    return pieces;
}

const QString& helpText() {
    static const QString text = [] {
        QString joined;
        for (const QString& piece : helpTextPieces()) {
            joined += piece;
        }
        return joined;
    }();
    return text;
}

} // namespace vornak
