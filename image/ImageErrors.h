#pragma once
// The exceptions of the image readers. Every one carries a German message (Windows-1252
// bytes, at most 255 of them) and an integer code: 1 for EGraphicsAbort, 4 for
// EGraphicsPicSize, 5 for EGraphicsWrongColor, 6 for EGraphicsMemory, 0 for all others.
// They never leave the library: LoadImageFile turns them into a result code and a message.

#include <exception>
#include <string>
#include <string_view>

namespace kelvandor {

// Messages that several classes or callers share.
namespace image_messages {
inline constexpr const char* kUnknownError = "Unknown error";
inline constexpr const char* kInternalError = "Interner Fehler";
inline constexpr const char* kFormatNotSupported = "Das Format wird nicht unterst\xFCtzt";
inline constexpr const char* kUserAbort = "Benutzer Abbruch";
inline constexpr const char* kOutOfMemory = "Zu wenig Speicher";
inline constexpr const char* kWrongColour = "Falsches Farbformat";
inline constexpr const char* kPictureTooLarge = "Das Bild ist zu gro\xDF";
}  // namespace image_messages

class EGraphicsException : public std::exception {
public:
    explicit EGraphicsException(std::string_view message = image_messages::kUnknownError,
                                int code = 0);
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }
    int Code() const { return code_; }

    static constexpr std::size_t kMaxMessageLength = 255;

private:
    std::string message_;
    int code_;
};

// A class with one fixed message (and the code 0 unless given).
#define KELVANDOR_GRAPHICS_ERROR(Name, Base, text, code) \
    class Name : public Base {                           \
    public:                                              \
        Name() : Base(text, code) {}                     \
    }

// A class whose thrower picks one of its messages.
#define KELVANDOR_GRAPHICS_ERROR_WITH_TEXT(Name)                                    \
    class Name : public EGraphicsException {                                        \
    public:                                                                         \
        explicit Name(std::string_view message) : EGraphicsException(message, 0) {} \
    }

KELVANDOR_GRAPHICS_ERROR(EGraphicsAbort, EGraphicsException, image_messages::kUserAbort, 1);
KELVANDOR_GRAPHICS_ERROR(EGraphicsPicSize, EGraphicsException, image_messages::kPictureTooLarge, 4);
KELVANDOR_GRAPHICS_ERROR(EGraphicsWrongColor, EGraphicsException, image_messages::kWrongColour, 5);
KELVANDOR_GRAPHICS_ERROR(EGraphicsMemory, EGraphicsException, image_messages::kOutOfMemory, 6);

KELVANDOR_GRAPHICS_ERROR(EBmpFileOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der BMP-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EBmpNotABmpFile, EGraphicsException, "Die Datei ist keine BMP-Datei !", 0);
KELVANDOR_GRAPHICS_ERROR(EBmpNotSupported, EGraphicsException,
                         "Das Format der BMP-Datei wird nicht unterst\xFCtzt !", 0);
KELVANDOR_GRAPHICS_ERROR(EBmpCorruptFile, EGraphicsException,
                         "Besch\xE4"
                         "digte BMP-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EBmpFileReadError, EGraphicsException, "Fehler beim Lesen der BMP-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EBmpUnknownError, EGraphicsException, "Fehler beim Unknown Error", 0);

KELVANDOR_GRAPHICS_ERROR(EJpegOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EJpegAbort, EGraphicsException, image_messages::kUserAbort, 0);
// "Fehler <number> beim Laden der Jpeg Datei" with the decoder's message number.
class EJpegError : public EGraphicsException {
public:
    explicit EJpegError(int messageNumber);
};

KELVANDOR_GRAPHICS_ERROR(EGifError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der Datei",
                         0);
KELVANDOR_GRAPHICS_ERROR(EGifCorruptFile, EGraphicsException, "Gif stream is corrupt", 0);
KELVANDOR_GRAPHICS_ERROR(EGifNotAGifFile, EGraphicsException, "Stream is not in GIF format", 0);
KELVANDOR_GRAPHICS_ERROR(EGifFileReadError, EGraphicsException, "Error reading from GIF file", 0);
KELVANDOR_GRAPHICS_ERROR(EGifNoMoreImages, EGraphicsException, "No more images in the GIF stream",
                         0);

KELVANDOR_GRAPHICS_ERROR_WITH_TEXT(ETiffError);
KELVANDOR_GRAPHICS_ERROR_WITH_TEXT(EXpmError);
KELVANDOR_GRAPHICS_ERROR_WITH_TEXT(EIconError);

KELVANDOR_GRAPHICS_ERROR(EXwdFileOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der XWD-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EXwdNotAXwdFile, EGraphicsException, "Die Datei ist keine XWD-Datei !", 0);
KELVANDOR_GRAPHICS_ERROR(EXwdFileReadError, EGraphicsException, "Fehler beim Lesen der XWD-Datei !",
                         0);

// WebP came after the other formats; its messages follow the pattern of the BMP family.
KELVANDOR_GRAPHICS_ERROR(EWebpFileOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der WebP-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EWebpNotAWebpFile, EGraphicsException, "Die Datei ist keine WebP-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EWebpNotSupported, EGraphicsException,
                         "Das Format der WebP-Datei wird nicht unterst\xFCtzt !", 0);
KELVANDOR_GRAPHICS_ERROR(EWebpCorruptFile, EGraphicsException,
                         "Besch\xE4"
                         "digte WebP-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EWebpFileReadError, EGraphicsException,
                         "Fehler beim Lesen der WebP-Datei !", 0);

KELVANDOR_GRAPHICS_ERROR(EPnmFileOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der PNM-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EPnmNotAPnmFile, EGraphicsException, "Die Datei ist keine PNM-Datei !", 0);
KELVANDOR_GRAPHICS_ERROR(EPnmCorruptFile, EGraphicsException,
                         "Besch\xE4"
                         "digte PNM-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EPnmFileReadError, EGraphicsException, "Fehler beim Lesen der PNM-Datei !",
                         0);

KELVANDOR_GRAPHICS_ERROR(EEpsFileOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der EPS-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EEpsNotAEpsFile, EGraphicsException, "Die Datei ist keine EPS-Datei !", 0);
KELVANDOR_GRAPHICS_ERROR(EEpsNotSupported, EGraphicsException,
                         "Das Format der EPS-Datei wird nicht unterst\xFCtzt !", 0);
KELVANDOR_GRAPHICS_ERROR(EEpsCorruptFile, EGraphicsException,
                         "Besch\xE4"
                         "digte EPS-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EEpsFileReadError, EGraphicsException, "Fehler beim Lesen der EPS-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(EEpsUnknownError, EGraphicsException, "Fehler beim Unknown Error", 0);

KELVANDOR_GRAPHICS_ERROR(ETlsFileOpenError, EGraphicsException,
                         "Fehler beim \xD6"
                         "ffnen der TLS-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(ETlsNotATlsFile, EGraphicsException, "Die Datei ist keine TLS-Datei !", 0);
KELVANDOR_GRAPHICS_ERROR(ETlsCorruptFile, EGraphicsException,
                         "Besch\xE4"
                         "digte TLS-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(ETlsFileReadError, EGraphicsException, "Fehler beim Lesen der TLS-Datei !",
                         0);
KELVANDOR_GRAPHICS_ERROR(ETlsNotFound, EGraphicsException,
                         "Das Bild wurde in der Sequenz nicht gefunden !", 0);
KELVANDOR_GRAPHICS_ERROR(ETlsCrcError, EGraphicsException, "Falsche CRC-Summe !", 0);
KELVANDOR_GRAPHICS_ERROR(ETlsUnknownError, EGraphicsException, "Fehler beim Unknown Error", 0);

#undef KELVANDOR_GRAPHICS_ERROR
#undef KELVANDOR_GRAPHICS_ERROR_WITH_TEXT

// The messages of the classes that carry several, for their readers to pick from.
namespace tiff_messages {
inline constexpr const char* kBadHeader = "Falscher Header";
inline constexpr const char* kBadEntry = "Falscher Eintrag";
inline constexpr const char* kBadMode = "Falscher Modus";
inline constexpr const char* kModeNotSupported = "Modus ist nicht unterst\xFCtzt";
inline constexpr const char* kReadError = "Fehler beim Lesen";
inline constexpr const char* kOpenError =
    "Fehler beim \xD6"
    "ffnen der Datei";
}  // namespace tiff_messages

namespace xpm_messages {
inline constexpr const char* kOpenError =
    "Fehler beim \xD6"
    "ffnen der Datei";
inline constexpr const char* kTooManyColours = "Zu viele Farben definiert";
inline constexpr const char* kTooFewColours = "Zu wenige Farben definiert";
inline constexpr const char* kUnknownFormat = "Unbekantes Format";
inline constexpr const char* kReadError = "Fehler beim Lesen aus der Datei";
inline constexpr const char* kColourFormatNotSupported = "Nicht unterst\xFCtztes Farbformat";
inline constexpr const char* kFileError = "Fehler in der Datei";
}  // namespace xpm_messages

namespace icon_messages {
inline constexpr const char* kOpenError =
    "Datei konnte nicht ge\xF6"
    "ffnet werden !";
inline constexpr const char* kIconNotFound = "Das Icon konnte in der Datei nicht gefunden werden !";
inline constexpr const char* kColourFormatNotSupported =
    "Das Farbformat wird nicht unterst\xFCtzt !";
inline constexpr const char* kCompressedNotSupported =
    "Komprimierte Icons werden nicht unterst\xFCtzt !";
inline constexpr const char* kBadFileFormat = "Fehlerhaftes Dateiformat !";
// The icon texts spell the read error three ways; each belongs to a different step.
inline constexpr const char* kReadErrorLower = "Fehler beim lesen aus der Datei !";
inline constexpr const char* kReadError = "Fehler beim Lesen aus der Datei !";
inline constexpr const char* kFileReadError = "Fehler beim Lesen der Datei !";
inline constexpr const char* kBlockTooLarge =
    "Zugro\xDF"
    "er Datenblock !";
}  // namespace icon_messages

}  // namespace kelvandor
