#pragma once

#include <QString>
#include <string>

// The engine's texts are bytes. Line text (the terminal, the selectors, the checksum
// boxes) is shown byte for byte as Latin-1; paths, messages and captions are in the
// system's 8-bit code page, as the file system and the settings store hold them.
namespace GuiText {

inline QString fromLine(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
inline std::string toLine(const QString& text) {
    const QByteArray b = text.toLatin1();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}
inline QString fromLocal(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
inline std::string toLocal(const QString& text) {
    const QByteArray b = text.toLocal8Bit();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}
// A message or a file for a text widget: CR LF (and a lone CR) end a line.
inline QString lines(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

}  // namespace GuiText
