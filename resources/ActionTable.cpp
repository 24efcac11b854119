#include "ActionTable.h"

#include "Texts.h"

namespace vornak {

QList<QKeySequence> ActionEntry::keys() const {
    QList<QKeySequence> all;
    if (shortcut.isEmpty()) {
        return all;
    }
    all << shortcut;
    const QKeyCombination shown = shortcut[0];
    const auto with = [&](Qt::KeyboardModifiers extra) {
        all << QKeySequence(QKeyCombination(shown.keyboardModifiers() | extra, shown.key()));
    };
    switch (variants) {
    case KeyVariants::Exact:
        break;
    case KeyVariants::AnyCtrlShift:
        with(Qt::ControlModifier);
        with(Qt::ShiftModifier);
        with(Qt::ControlModifier | Qt::ShiftModifier);
        break;
    case KeyVariants::AnyShiftAlt:
        with(Qt::ShiftModifier);
        with(Qt::AltModifier);
        with(Qt::AltModifier | Qt::ShiftModifier);
        break;
    }
    if (!alternate.isEmpty()) {
        all << alternate;
    }
    return all;
}

namespace {

QKeySequence ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

const std::vector<ActionEntry>& actionTable() {
    using enum KeyVariants;
    static const std::vector<ActionEntry> table = {
        // File
        {QStringLiteral("fileNew"),
         QStringLiteral("&Новый"),
         ctrl(Qt::Key_N),
         AnyShiftAlt,
         {},
         Picture::BlankPage},
        {QStringLiteral("fileOpen"),
         QStringLiteral("&Открыть"),
         ctrl(Qt::Key_O),
         AnyShiftAlt,
         {},
         Picture::OpenFolder},
        {QStringLiteral("fileSave"),
         QStringLiteral("&Сохранить"),
         ctrl(Qt::Key_S),
         AnyShiftAlt,
         {},
         Picture::Diskette},
        {QStringLiteral("fileSaveAs"), QStringLiteral("Сохранить &как...")},
        {QStringLiteral("fileSaveTable"), QStringLiteral("Сохранить &таблицу...")},
        {QStringLiteral("fileCompare"), QStringLiteral("Сра&внить с файлом...")},
        {QStringLiteral("filePrint"), QStringLiteral("&Печать..."), ctrl(Qt::Key_P), AnyShiftAlt},
        {QStringLiteral("fileExit"), QStringLiteral("В&ыход")},
        // Edit
        {QStringLiteral("editUndo"), QStringLiteral("&Отменить"), ctrl(Qt::Key_Z)},
        {QStringLiteral("editRedo"), QStringLiteral("&Повторить"), ctrl(Qt::Key_Y), Exact,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {QStringLiteral("editCut"), QStringLiteral("Вы&резать"), ctrl(Qt::Key_X)},
        {QStringLiteral("editCopy"), QStringLiteral("&Копировать"), ctrl(Qt::Key_C)},
        {QStringLiteral("editPaste"), QStringLiteral("Вст&авить"), ctrl(Qt::Key_V)},
        {QStringLiteral("editFind"), QStringLiteral("На&йти..."), ctrl(Qt::Key_F)},
        {QStringLiteral("editReplace"), QStringLiteral("&Заменить..."), ctrl(Qt::Key_H)},
        {QStringLiteral("editMoveUp"), QStringLiteral("Переместить &выше"), ctrl(Qt::Key_Up)},
        {QStringLiteral("editMoveDown"), QStringLiteral("Переместить &ниже"), ctrl(Qt::Key_Down)},
        {QStringLiteral("editDuplicate"), QStringLiteral("&Дублировать"), ctrl(Qt::Key_D)},
        {QStringLiteral("editChecks"), QStringLiteral("Пров&ерка..."), QKeySequence(Qt::Key_F7)},
        // Create
        {QStringLiteral("addParameter"),
         QStringLiteral("Добавить &Параметр"),
         QKeySequence(Qt::Key_F2),
         AnyCtrlShift,
         {},
         Picture::ParameterPage},
        {QStringLiteral("addValue"),
         QStringLiteral("Добавить &Значение"),
         QKeySequence(Qt::Key_F3),
         AnyCtrlShift,
         {},
         Picture::ValuePage},
        {QStringLiteral("addResult"),
         QStringLiteral("Добавить &Результат"),
         QKeySequence(Qt::Key_F4),
         AnyCtrlShift,
         {},
         Picture::ResultPage},
        {QStringLiteral("deleteParameter"), QStringLiteral("Удалить П&араметр")},
        {QStringLiteral("deleteValue"), QStringLiteral("Удалить З&начение")},
        {QStringLiteral("deleteResult"), QStringLiteral("Удалить Р&езультат")},
        // Help
        {QStringLiteral("helpUsage"), QStringLiteral("&Помощь..."), QKeySequence(Qt::Key_F1)},
        {QStringLiteral("helpAbout"), texts::aboutEntry, {}, Exact, {}, Picture::Question},
    };
    return table;
}

const ActionEntry* findActionEntry(QStringView id) {
    for (const ActionEntry& entry : actionTable()) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace vornak
