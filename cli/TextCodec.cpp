#include "TextCodec.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace vornak::cli {

bool windows1251Available() {
    return QStringDecoder("windows-1251").isValid();
}

QString decodeWindows1251(std::string_view bytes) {
    // A fresh decoder per text: a decoder keeps state (and its error flag) between calls.
    QStringDecoder decoder("windows-1251");
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string windows1251ToUtf8(std::string_view bytes) {
    return decodeWindows1251(bytes).toUtf8().toStdString();
}

} // namespace vornak::cli
