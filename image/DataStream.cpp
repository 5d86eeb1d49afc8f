#include "image/DataStream.h"

#include "base/RegularFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace kelvandor {

namespace {

constexpr std::size_t kResourcePrefixLength = 6;  // "res://"
constexpr std::size_t kMaxTypeLength = 63;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// A non-zero decimal number that fits 32 bits, or 0.
std::uint32_t DecimalNumber(std::string_view text) {
    if (text.empty() || text.size() > 10) {
        return 0;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(value) : 0;
}

ResourceId ResolveType(std::string_view text) {
    if (const std::uint32_t number = DecimalNumber(text); number != 0) {
        return ResourceId::Number(number);
    }
    if (EqualNoCase(text, "CURSOR")) {
        return ResourceId::Number(kResourceTypeCursor);
    }
    if (EqualNoCase(text, "BITMAP")) {
        return ResourceId::Number(kResourceTypeBitmap);
    }
    if (EqualNoCase(text, "ICON")) {
        return ResourceId::Number(kResourceTypeIcon);
    }
    if (EqualNoCase(text, "HTML")) {
        return ResourceId::Number(kResourceTypeHtml);
    }
    return ResourceId::Name(text);
}

ResourceId ResolveName(std::string_view text) {
    if (const std::uint32_t number = DecimalNumber(text); number != 0) {
        return ResourceId::Number(number);
    }
    return ResourceId::Name(text);
}

}  // namespace

bool ParseResourcePath(std::string_view path, ResourceId& type, ResourceId& name) {
    if (path.size() < kResourcePrefixLength || !EqualNoCase(path.substr(0, 4), "res:") ||
        !IsSeparator(path[4]) || !IsSeparator(path[5])) {
        return false;
    }
    const std::string_view rest = path.substr(kResourcePrefixLength);
    const std::size_t limit = std::min(rest.size(), kMaxTypeLength);
    std::size_t separator = std::string_view::npos;
    for (std::size_t i = 0; i < limit; ++i) {
        if (IsSeparator(rest[i])) {
            separator = i;
            break;
        }
    }
    if (separator == std::string_view::npos) {
        type = ResourceId::Name("DATA");
        name = ResolveName(rest);
    } else {
        type = ResolveType(rest.substr(0, separator));
        name = ResolveName(rest.substr(separator + 1));
    }
    return true;
}

CDataStream::~CDataStream() {
    Close();
}

bool CDataStream::Open(const std::string& path, std::size_t bufferSize) {
    Close();
    ResourceId type, name;
    if (ParseResourcePath(path, type, name)) {
        const std::span<const std::uint8_t> bytes = FindResource(type, name);
        if (bytes.data() == nullptr) {
            return false;
        }
        OpenMemory(bytes);
        return true;
    }
    // Only regular files of known size, opened without blocking: a picture name may point
    // at a pipe, a device or a file of /proc whose read never returns.
    const OpenedFile file = OpenRegularFile(path);
    if (file.refusal == FileRefusal::Empty) {
        OpenMemory({});  // an empty file is read as no bytes: an unknown format, not a missing file
        return true;
    }
    if (file.fd < 0) {
        return false;
    }
    fd_ = file.fd;
    size_ = file.size;
    buffer_.assign(std::max<std::size_t>(bufferSize, 64), 0);
    data_ = buffer_.data();
    dataLength_ = 0;
    bufferPos_ = 0;
    bufferStart_ = 0;
    wantedPastEnd_ = false;
    open_ = true;
    return true;
}

void CDataStream::OpenMemory(std::span<const std::uint8_t> bytes) {
    Close();
    data_ = bytes.data();
    dataLength_ = bytes.size();
    size_ = bytes.size();
    bufferPos_ = 0;
    bufferStart_ = 0;
    wantedPastEnd_ = false;
    open_ = true;
}

void CDataStream::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    buffer_.clear();
    buffer_.shrink_to_fit();
    data_ = nullptr;
    dataLength_ = 0;
    bufferPos_ = 0;
    bufferStart_ = 0;
    size_ = 0;
    open_ = false;
}

bool CDataStream::Fill() {
    if (fd_ < 0) {
        return false;  // memory streams hold everything already
    }
    const std::size_t kept = dataLength_ - bufferPos_;
    if (kept != 0 && bufferPos_ != 0) {
        std::memmove(buffer_.data(), buffer_.data() + bufferPos_, kept);
    }
    bufferStart_ += bufferPos_;
    bufferPos_ = 0;
    dataLength_ = kept;
    bool gotAny = false;
    // Never more than the file held when it was opened: a file that grows is not followed.
    const std::uint64_t left = size_ - std::min(size_, bufferStart_ + dataLength_);
    const std::size_t room =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size() - dataLength_, left));
    const std::size_t want = dataLength_ + room;
    while (dataLength_ < want) {
        const ssize_t n = ::read(fd_, buffer_.data() + dataLength_, want - dataLength_);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // The true end: later size checks must not expect more than there is.
            size_ = std::min<std::uint64_t>(size_, bufferStart_ + dataLength_);
            break;
        }
        dataLength_ += static_cast<std::size_t>(n);
        gotAny = true;
    }
    return gotAny;
}

std::size_t CDataStream::Read(void* destination, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(destination);
    std::size_t done = 0;
    while (done < n) {
        const std::size_t available = dataLength_ - bufferPos_;
        if (available == 0) {
            if (fd_ >= 0 && n - done >= buffer_.size()) {
                // Large reads go straight to the caller; the buffer no longer matches.
                bufferStart_ = Position();
                bufferPos_ = 0;
                dataLength_ = 0;
                const std::uint64_t left = size_ - std::min(size_, Position());
                const ssize_t got =
                    left == 0 ? 0
                              : ::read(fd_, out + done,
                                       static_cast<std::size_t>(
                                           std::min<std::uint64_t>(n - done, left)));
                if (got < 0 && errno == EINTR) {
                    continue;
                }
                if (got <= 0) {
                    size_ = std::min<std::uint64_t>(size_, Position());
                    break;
                }
                bufferStart_ += static_cast<std::uint64_t>(got);
                done += static_cast<std::size_t>(got);
                continue;
            }
            if (!Fill()) {
                break;
            }
            continue;
        }
        const std::size_t take = std::min(available, n - done);
        std::memcpy(out + done, data_ + bufferPos_, take);
        bufferPos_ += take;
        done += take;
    }
    if (done < n) {
        wantedPastEnd_ = true;
    }
    return done;
}

bool CDataStream::ReadByte(std::uint8_t& value) {
    return Read(&value, 1) == 1;
}

bool CDataStream::ReadLe16(std::uint16_t& value) {
    std::uint8_t b[2];
    if (Read(b, 2) != 2) {
        return false;
    }
    value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool CDataStream::ReadLe32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (Read(b, 4) != 4) {
        return false;
    }
    value = b[0] | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

bool CDataStream::ReadLine(std::string& line) {
    line.clear();
    bool any = false;
    std::uint8_t c;
    while (ReadByte(c)) {
        any = true;
        if (c == '\n') {
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return any;
}

std::span<const std::uint8_t> CDataStream::Peek(std::size_t n) {
    if (dataLength_ - bufferPos_ < n && fd_ >= 0) {
        Fill();
    }
    return {data_ + bufferPos_, std::min(n, dataLength_ - bufferPos_)};
}

bool CDataStream::Skip(std::uint64_t n) {
    const std::uint64_t target = Position() + n;
    if (target < Position()) {
        return false;
    }
    return Seek(target);
}

bool CDataStream::Seek(std::uint64_t position) {
    if (!open_) {
        return false;
    }
    if (position >= bufferStart_ && position <= bufferStart_ + dataLength_) {
        bufferPos_ = static_cast<std::size_t>(position - bufferStart_);
        wantedPastEnd_ = wantedPastEnd_ || position > size_;
        return position <= size_;
    }
    if (fd_ < 0 || position > size_) {
        wantedPastEnd_ = true;
        // Memory streams, and files whose size is known: a position beyond the end fails and
        // leaves the stream at its end, so that further reads come back short.
        if (fd_ < 0) {
            bufferPos_ = dataLength_;
        } else {
            Seek(size_);
        }
        return false;
    }
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) {
        return false;
    }
    bufferStart_ = position;
    bufferPos_ = 0;
    dataLength_ = 0;
    return true;
}

}  // namespace kelvandor
