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

QKeySequence key(Qt::Key k) {
    return QKeySequence(k);
}

ActionEntry row(const char16_t* id, const QString& text, QKeySequence shown = {},
                KeyVariants variants = KeyVariants::Exact, QKeySequence another = {},
                Picture picture = Picture::None) {
    return {QString::fromUtf16(id), text, shown, variants, another, picture};
}

ActionEntry row(const char16_t* id, const char16_t* text, QKeySequence shown = {},
                KeyVariants variants = KeyVariants::Exact, QKeySequence another = {},
                Picture picture = Picture::None) {
    return row(id, QString::fromUtf16(text), shown, variants, another, picture);
}

} // namespace

const std::vector<ActionEntry>& actionTable() {
    using enum KeyVariants;
    const QKeySequence none;
    const QKeySequence ctrlShiftZ(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    // clang-format off
    static const std::vector<ActionEntry> table = {
        // id, text, the key shown, the modifiers it may also be held with, another key, the picture
        row(u"fileNew",         u"&Новый",              ctrl(Qt::Key_N), AnyShiftAlt,  none, Picture::BlankPage),
        row(u"fileOpen",        u"&Открыть",            ctrl(Qt::Key_O), AnyShiftAlt,  none, Picture::OpenFolder),
        row(u"fileSave",        u"&Сохранить",          ctrl(Qt::Key_S), AnyShiftAlt,  none, Picture::Diskette),
        row(u"fileSaveAs",      u"Сохранить &как..."),
        row(u"fileSaveTable",   u"Сохранить &таблицу..."),
        row(u"fileCompare",     u"Сра&внить с файлом..."),
        row(u"filePrint",       u"&Печать...",          ctrl(Qt::Key_P), AnyShiftAlt),
        row(u"fileExit",        u"В&ыход"),
        row(u"editUndo",        u"&Отменить",           ctrl(Qt::Key_Z)),
        row(u"editRedo",        u"&Повторить",          ctrl(Qt::Key_Y), Exact,        ctrlShiftZ),
        row(u"editCut",         u"Вы&резать",           ctrl(Qt::Key_X)),
        row(u"editCopy",        u"&Копировать",         ctrl(Qt::Key_C)),
        row(u"editPaste",       u"Вст&авить",           ctrl(Qt::Key_V)),
        row(u"editFind",        u"На&йти...",           ctrl(Qt::Key_F)),
        row(u"editReplace",     u"&Заменить...",        ctrl(Qt::Key_H)),
        row(u"editMoveUp",      u"Переместить &выше",   ctrl(Qt::Key_Up)),
        row(u"editMoveDown",    u"Переместить &ниже",   ctrl(Qt::Key_Down)),
        row(u"editDuplicate",   u"&Дублировать",        ctrl(Qt::Key_D)),
        row(u"editChecks",      u"Пров&ерка...",        key(Qt::Key_F7)),
        row(u"addParameter",    u"Добавить &Параметр",  key(Qt::Key_F2), AnyCtrlShift, none, Picture::ParameterPage),
        row(u"addValue",        u"Добавить &Значение",  key(Qt::Key_F3), AnyCtrlShift, none, Picture::ValuePage),
        row(u"addResult",       u"Добавить &Результат", key(Qt::Key_F4), AnyCtrlShift, none, Picture::ResultPage),
        row(u"deleteParameter", u"Удалить П&араметр"),
        row(u"deleteValue",     u"Удалить З&начение"),
        row(u"deleteResult",    u"Удалить Р&езультат"),
        row(u"helpUsage",       u"&Помощь...",          key(Qt::Key_F1)),
        row(u"helpAbout",       texts::aboutEntry,      none,            Exact,        none, Picture::Question),
    };
    // clang-format on
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
