#include "image/ImageErrors.h"

#include <cstdio>

namespace kelvandor {

EGraphicsException::EGraphicsException(std::string_view message, int code)
    : message_(message.substr(0, kMaxMessageLength)), code_(code) {}

namespace {

std::string JpegMessage(int number) {
    char text[EGraphicsException::kMaxMessageLength + 1];
    std::snprintf(text, sizeof text, "Fehler %i beim Laden der Jpeg Datei", number);
    return text;
}

}  // namespace

EJpegError::EJpegError(int messageNumber) : EGraphicsException(JpegMessage(messageNumber), 0) {}

}  // namespace kelvandor
