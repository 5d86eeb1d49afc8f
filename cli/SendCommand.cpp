// send [--socket PATH] REQUEST ...: one request to a running game over its control socket,
// and its reply printed.

#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "base/NumberText.h"
#include "base/TextCodec.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "control/ControlSocket.h"

namespace kelvandor::cli {
namespace {

// A running game that does not answer within this time counts as none.
constexpr int kReplyTimeoutMs = 2000;

const char* const kUsage =
    "usage: kelvandor-tool send [--socket PATH] REQUEST ...\n"
    "\n"
    "Sends one request to the running game and prints its reply.\n"
    "\n"
    "  identify [WORD]               identification (default WORD 0x12345678); prints the\n"
    "                                reply as 0x and eight hex digits\n"
    "  request CODE                  remote request CODE (0 ends the game); for 2 prints the\n"
    "                                game's document path, else the result\n"
    "  copydata CODE TEXT [--utf16]  copy-data CODE with TEXT (sent as Windows-1252, or as\n"
    "                                UTF-16 with bit 0x8000 set); prints 1 or 0\n"
    "  status PANE TEXT              shows TEXT in status-bar pane PANE; prints the result\n"
    "\n"
    "Numbers are decimal or 0x hex. Without --socket the current user's game is found where\n"
    "it puts its socket. Exit status 0 when a reply came, 1 when no game answered within\n"
    "2 seconds, 2 for bad usage.\n";

// A 32-bit number in decimal or with a 0x prefix in hex.
std::optional<std::uint32_t> ParseWord(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    const DigitRun run = ReadDigitRun(text, base, 0x100000000ULL);
    if (text.empty() || run.length != text.size() || run.value > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(run.value);
}

std::string Utf16Data(std::string_view utf8) {
    std::string data;
    for (char16_t unit : EncodeUtf16(DecodeUtf8(utf8).value_or(DecodeWindows1252(utf8)))) {
        data += static_cast<char>(unit & 0xFF);
        data += static_cast<char>(unit >> 8);
    }
    return data.append(2, '\0');
}

// Every word except the subcommand's own options is a request's word, also one that starts
// with "-" (a text, a negative-looking number that the request then refuses).
bool IsRequestWord(std::string_view arg) {
    return arg != "--socket" && arg != "--utf16" && !IsHelp(arg);
}

// The request the words ask for, or nullopt after the usage error.
std::optional<ControlRequest> BuildRequest(const ScannedArguments& args) {
    const auto& words = args.positional;
    if (words.empty()) {
        UsageError("send: which request? (identify, request, copydata, status)");
        return std::nullopt;
    }
    const std::string_view kind = words[0];
    auto number = [&](std::size_t i, const char* what) -> std::optional<std::uint32_t> {
        const auto value = ParseWord(words[i]);
        if (!value) {
            UsageError("send: " + std::string(kind) + ": " + what + " must be a number, not " +
                       std::string(words[i]));
        }
        return value;
    };
    auto count = [&](std::size_t least, std::size_t most, const char* form) {
        if (words.size() < least || words.size() > most) {
            UsageError("send: usage: " + std::string(form));
            return false;
        }
        return true;
    };
    if (args.Has("--utf16") && kind != "copydata") {
        UsageError("send: --utf16 belongs to copydata");
        return std::nullopt;
    }
    if (kind == "identify") {
        if (!count(1, 2, "identify [WORD]")) {
            return std::nullopt;
        }
        const auto word = words.size() == 2 ? number(1, "WORD") : kIdentifyWord;
        if (!word) {
            return std::nullopt;
        }
        return ControlRequest{static_cast<std::uint32_t>(ControlMessage::Identify), *word, 0, {}};
    }
    if (kind == "request") {
        if (!count(2, 2, "request CODE")) {
            return std::nullopt;
        }
        const auto code = number(1, "CODE");
        if (!code) {
            return std::nullopt;
        }
        return ControlRequest{
            static_cast<std::uint32_t>(ControlMessage::RemoteRequest), *code, 0, {}};
    }
    if (kind == "copydata") {
        if (!count(3, 3, "copydata CODE TEXT [--utf16]")) {
            return std::nullopt;
        }
        const auto code = number(1, "CODE");
        if (!code) {
            return std::nullopt;
        }
        const bool utf16 = args.Has("--utf16");
        return ControlRequest{
            static_cast<std::uint32_t>(ControlMessage::CopyData), 0,
            utf16 ? (*code | kCopyDataUtf16) : *code,
            utf16 ? Utf16Data(words[2]) : Utf8ToWindows1252(words[2]).append(1, '\0')};
    }
    if (kind == "status") {
        if (!count(3, 3, "status PANE TEXT")) {
            return std::nullopt;
        }
        const auto pane = number(1, "PANE");
        if (!pane) {
            return std::nullopt;
        }
        return ControlRequest{static_cast<std::uint32_t>(ControlMessage::StatusText), *pane, 0,
                              Utf8ToWindows1252(words[2]).append(1, '\0')};
    }
    UsageError("send: unknown request " + std::string(kind));
    return std::nullopt;
}

void PrintReply(const ControlRequest& request, const ControlReply& reply) {
    switch (static_cast<ControlMessage>(request.message)) {
        case ControlMessage::Identify:
            std::printf("0x%08" PRIx32 "\n", reply.result);
            return;
        case ControlMessage::RemoteRequest:
            if (request.wParam == kRequestDocumentPath) {
                const bool utf16 = reply.copyData && (reply.copyData->code & kCopyDataUtf16) != 0;
                std::printf("%s\n",
                            reply.copyData ? DataText(reply.copyData->data, utf16).c_str() : "");
                return;
            }
            break;
        case ControlMessage::CopyData:
            std::printf("%d\n", reply.result != 0 ? 1 : 0);
            return;
        case ControlMessage::StatusText:
            break;
    }
    std::printf("%" PRIu32 "\n", reply.result);
}

}  // namespace

int RunSend(int argc, char** argv) {
    const ScannedArguments args = ScanArguments(
        "send", argc, argv, kUsage, {{"--socket", "needs a PATH"}, {"--utf16"}}, IsRequestWord);
    if (args.exitNow) {
        return *args.exitNow;
    }
    const std::optional<ControlRequest> request = BuildRequest(args);
    if (!request) {
        return 2;
    }
    const std::string path =
        args.Has("--socket") ? std::string(args.Value("--socket")) : DefaultControlSocketPath();
    const ControlExchange exchange = ExchangeControlRequest(path, *request, kReplyTimeoutMs);
    if (exchange.status != ControlExchange::Status::Replied) {
        std::cerr << "kelvandor-tool: send: no running game answers: " << exchange.error << "\n";
        return 1;
    }
    PrintReply(*request, exchange.reply);
    return 0;
}

}  // namespace kelvandor::cli
