// Every user-visible text of the editor in one place: captions, labels, defaults, prompts, filters
// and column titles. The texts are the product's wording and must not be translated or retouched.
#pragma once

#include <QString>

namespace vornak::texts {

// Application and captions.
inline const QString appTitle = QStringLiteral("Vornak");
inline const QString captionSeparator = QStringLiteral(" - ");
inline const QString helpWindowTitle = QStringLiteral("Краткая информация по использованию программы");
inline const QString aboutTitle = QStringLiteral("О программе");
inline const QString aboutEntry =
    QStringLiteral("&О программе..."); // the window menu's entry, where there is one

// Save prompt.
inline const QString savePromptText = QStringLiteral("Документ изменен. Сохранить?");
inline const QString savePromptCaption = QStringLiteral("Предупреждение.");

// File dialog filters, in the pairs-and-bars form the commands are written with.
inline const QString reportFilesFilter = QStringLiteral("Report Files(*.rpt)|*.rpt||");
inline const QString textFilesFilter = QStringLiteral("Text Files(*.txt)|*.txt||");
inline const QString wordFilesFilter =
    QStringLiteral("Word Files (*.doc)|*.doc|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
inline const QString reportExtension = QStringLiteral("rpt");
inline const QString textExtension = QStringLiteral("txt");

// Undo and redo in the Edit menu: the label, then ": " and what the step did, then the key.
inline const QString undoLabel = QStringLiteral("&Отменить");
inline const QString redoLabel = QStringLiteral("&Повторить");
inline const QString undoRedoSeparator = QStringLiteral(": ");

// Save over a file that another program changed or removed since it was read or written here.
inline const QString changedOnDiskText =
    QStringLiteral("Файл %1 изменен другой программой после того, как был открыт или сохранен здесь. "
                   "Заменить его?");
inline const QString removedFromDiskText =
    QStringLiteral("Файл %1 удален или перемещен другой программой после того, как был открыт или "
                   "сохранен здесь. Сохранить документ под этим именем?");

// Reports of failed file work: the file, then the reason the reader or writer gave.
inline const QString openFailedText = QStringLiteral("Не удалось открыть файл %1.\n%2");
inline const QString saveFailedText = QStringLiteral("Не удалось сохранить файл %1.\n%2");
inline const QString exportFailedText = QStringLiteral("Не удалось сохранить таблицу в файл %1.\n%2");
// Recent-file placeholder, shown greyed while the list is empty.
inline const QString recentFilesPlaceholder = QStringLiteral("Недавние файлы");

// Defaults of a new definition (the date comes from the clock).
inline const QString defaultTitle = QStringLiteral("ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ");
inline const QString defaultDocumentFile = QStringLiteral("PrintForm.doc");
inline const QString defaultInput1Caption = QStringLiteral("Приложение № ");
inline const QString defaultInput2Caption = QStringLiteral("к заключению эксперта (к акту) № ");
inline const QString defaultSurnameCaption = QStringLiteral("Эксперт");
inline const QString defaultAuthor = QStringLiteral("Ведунов П.Р.");
inline const QString defaultOrganisation = QStringLiteral("Заречное ОБСМЭ");
inline const QString defaultSource =
    QStringLiteral("А. Н. Ключева, Г. С. Тармин. \"Судебно-медицинское отождествление личности по костным "
                   "останкам.\" Издательство Сарат. ун-та, 1978");
inline const QString dateFormat = QStringLiteral("dd.MM.yyyy"); // QDate format of "%d.%m.%Y"

// Main form labels and buttons.
inline const QString labelTitle = QStringLiteral("Назван:");
inline const QString labelDocument = QStringLiteral("Документ:");
inline const QString labelInput1 = QStringLiteral("Ввод 1:");
inline const QString labelInput2 = QStringLiteral("Ввод 2:");
inline const QString labelSurname = QStringLiteral("Фамилия:");
inline const QString labelAuthor = QStringLiteral("Автор:");
inline const QString labelSource = QStringLiteral("Источн.:");
inline const QString labelOrganisation = QStringLiteral("Организ.:");
inline const QString labelDate = QStringLiteral("Дата:");
inline const QString labelParameters = QStringLiteral("Параметры:");
inline const QString labelValueType = QStringLiteral("Тип значения:");
inline const QString groupParameterValues = QStringLiteral("Значения параметра:");
// What a screen reader calls the lists and the fields without a label of their own.
inline const QString parameterListName = QStringLiteral("Параметры");
inline const QString valueListName = QStringLiteral("Значения параметра");
inline const QString resultListName = QStringLiteral("Результаты");
inline const QString formulaFieldName = QStringLiteral("Формула");
inline const QString kindList = QStringLiteral("Список");
inline const QString kindRange = QStringLiteral("Диапазон");
inline const QString kindInput = QStringLiteral("Ввод");
inline const QString numberCheck = QStringLiteral("Число");
inline const QString formulaCheck = QStringLiteral("Формула:");

// What the picture buttons do, as their tooltips and accessible names say it.
inline const QString browseTip = QStringLiteral("Выбрать файл документа");
inline const QString addParameterTip = QStringLiteral("Добавить параметр");
inline const QString deleteParameterTip = QStringLiteral("Удалить параметр");
inline const QString addValueTip = QStringLiteral("Добавить значение");
inline const QString deleteValueTip = QStringLiteral("Удалить значение");
inline const QString addResultTip = QStringLiteral("Добавить результат");
inline const QString deleteResultTip = QStringLiteral("Удалить результат");

// Grid columns and new rows.
inline const QString columnNumber = QStringLiteral("N");
inline const QString columnName = QStringLiteral("Название");
inline const QString columnResult = QStringLiteral("Результат");
inline const QString columnValue = QStringLiteral("Значение");
inline const QString columnLowerBound = QStringLiteral(">=");
inline const QString columnUpperBound = QStringLiteral("<");
inline const QString columnInitialValue = QStringLiteral("Начальное значение");
inline const QString newParameterName = QStringLiteral("Название");

// About box.
inline const QString aboutLine1 = QStringLiteral("Программа \"Vornak\" позволяет");
inline const QString aboutLine2 = QStringLiteral("создавать программы, вычисляющие");
inline const QString aboutLine3 = QStringLiteral("некоторые значения по введенным параметрам.");
inline const QString aboutLine4 = QStringLiteral("Программист: Ведунов П.Р.");
inline const QString aboutOk = QStringLiteral("OK");
// The author's web address: the link's text and its target at once.
inline const QString aboutWebAddress = QStringLiteral("http://vornak.dulvarex.example/");

} // namespace vornak::texts
