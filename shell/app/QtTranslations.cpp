#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace vornak {

namespace {

// Qt's Russian texts, but the keys keep their Latin names: the menus read "Ctrl+Up", as the keys'
// caps do, not "Ctrl+Вверх".
class RussianQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (context != nullptr && std::strcmp(context, "QShortcut") == 0) {
            return QString();
        }
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
};

} // namespace

bool installRussianQtTexts(QCoreApplication& app) {
    auto* translator = new RussianQtTexts(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace vornak
