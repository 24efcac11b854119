#include "LargeDefinition.h"

#include <array>
#include <random>
#include <stdexcept>

namespace vornak::bench {

std::string toWindows1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++i;
            continue;
        }
        if (i + 1 >= utf8.size()) {
            throw std::invalid_argument("truncated UTF-8");
        }
        unsigned code = 0;
        std::size_t length = 2;
        if ((byte & 0xE0) == 0xC0) {
            code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        } else if ((byte & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
            code = ((byte & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            length = 3;
        } else {
            throw std::invalid_argument("unsupported UTF-8");
        }
        if (code >= 0x410 && code <= 0x44F) {
            out.push_back(static_cast<char>(0xC0 + (code - 0x410)));
        } else if (code == 0x401) {
            out.push_back(static_cast<char>(0xA8));
        } else if (code == 0x451) {
            out.push_back(static_cast<char>(0xB8));
        } else if (code == 0x2116) {
            out.push_back(static_cast<char>(0xB9));
        } else if (code == 0x2014) {
            out.push_back(static_cast<char>(0x97));
        } else if (code == 0xB1) {
            out.push_back(static_cast<char>(0xB1));
        } else {
            throw std::invalid_argument("character without a Windows-1251 byte here");
        }
        i += length;
    }
    return out;
}

namespace {

const std::array<const char*, 12> measures = {
    "Передняя высота тела", "Задняя высота тела",  "Ширина верхней поверхности", "Длина остистого отростка",
    "Наибольшая длина",     "Окружность середины", "Поперечный диаметр головки", "Высота дуги",
    "Сагиттальный диаметр", "Толщина компакты",    "Угол наклона шейки",         "Масса сухой кости"};
const std::array<const char*, 10> bones = {
    "позвонка",      "бедренной кости",   "плечевой кости", "большеберцовой кости",
    "лучевой кости", "локтевой кости",    "ключицы",        "лопатки",
    "крестца",       "малоберцовой кости"};
const std::array<const char*, 8> listValues = {
    "Светло-русые, прямые, средней толщины",   "Тёмно-каштановые, волнистые, с сединой",
    "Рыжие, вьющиеся, окрашены хной у корней", "Седые более чем наполовину, тонкие",
    "Чёрные, жёсткие, прямые, длиной до 5 см", "Пепельные, тонкие, мягкие на ощупь",
    "Отсутствуют (облысение лобной области)",  "Окрашенные в светлый тон, корни тёмные"};
const std::array<const char*, 8> results = {"ВЖ — выше среднего, мужской пол, рост от 176 до 180 см",
                                            "Н — в пределах нормы для возраста и пола обследуемого",
                                            "НЖ — ниже среднего, женский пол, рост от 150 до 155 см",
                                            "Рост от 171 до 175 см, погрешность ± 3,5 см по таблице",
                                            "Возраст 35—45 лет по степени износа суставных поверхностей",
                                            "Признак не информативен для данной группы, исключить",
                                            "Соответствует европеоидной группе по совокупности признаков",
                                            "Требует повторного измерения вторым экспертом с записью"};
const std::array<const char*, 6> formulas = {"#P(1) + #P(2) + \" см.\"", "#R(10)*2 + #X(1)",
                                             "#C(ВЖ) + #I(Н)",           "(#P(3) - 22.5) * 1.17 + 154.6",
                                             "#N(4) + \": \" + #R(4)",   "#S / 2 + sin(PI/2)"};

} // namespace

ReportDefinition makeLargeDefinition(std::size_t parameterCount, std::size_t rowsPerParameter) {
    std::mt19937 random(20240607);
    const auto pick = [&random](const auto& pool) {
        return std::string(pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random)]);
    };
    const auto decimal = [&random](int low, int high) {
        const int tenths = std::uniform_int_distribution<int>(low * 10, high * 10)(random);
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    };

    ReportDefinition d;
    d.title = toWindows1251("ОПРЕДЕЛЕНИЕ РОСТА И ВОЗРАСТА ПО КОСТЯМ СКЕЛЕТА");
    d.documentFile = toWindows1251("Заключение эксперта по костным останкам.doc");
    d.input1Caption = toWindows1251("Приложение № ");
    d.input2Caption = toWindows1251("к заключению эксперта (к акту) № ");
    d.surnameCaption = toWindows1251("Эксперт");
    d.author = toWindows1251("Ведунов П.Р.");
    d.source = toWindows1251("Ключева А.Н., Тармин Г.С. Судебно-медицинское отождествление личности по "
                             "костным останкам. Саратов, 1978");
    d.organisation = toWindows1251("Заречное областное бюро судебно-медицинской экспертизы");
    d.date = "06.12.2026";

    d.parameters.reserve(parameterCount);
    for (std::size_t p = 0; p < parameterCount; ++p) {
        ParameterRecord record;
        record.name = toWindows1251(pick(measures) + " " + pick(bones) + " № " + std::to_string(p % 97 + 1));
        record.kind = static_cast<ValueKind>(p % 2 == 0 ? 1 : 0);
        record.isNumber = record.kind == ValueKind::Range ? 1 : 0;
        record.hasFormula = p % 4 == 0 ? 1 : 0;
        if (record.hasFormula != 0) {
            record.formula = toWindows1251(pick(formulas));
        }
        for (std::size_t v = 0; v < rowsPerParameter; ++v) {
            ValueRow row;
            if (record.kind == ValueKind::Range) {
                row.value = decimal(10, 60);
                row.upperBound = decimal(60, 99);
            } else {
                row.value = toWindows1251(pick(listValues) + ", вариант " + std::to_string(v + 1));
            }
            row.result = toWindows1251(pick(results) + ", табл. " + std::to_string(p % 40 + 1));
            record.values.push_back(std::move(row));
        }
        d.parameters.push_back(std::move(record));
    }
    for (std::size_t r = 0; r < 50; ++r) {
        d.results.push_back(
            {toWindows1251("Итог № " + std::to_string(r + 1)), toWindows1251(pick(formulas))});
    }
    return d;
}

} // namespace vornak::bench
