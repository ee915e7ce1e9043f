#pragma once
// A text as the bytes of a named encoding, through Qt's own encoders: an independent way to make
// the inputs our decoders and detectors are tested on.
#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <string>

namespace lumira {

inline std::string Encode(const QString& text, const char* name)
{
    QStringEncoder encoder(name);
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace lumira
