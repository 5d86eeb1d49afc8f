#include "show/ShowJournal.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/TextCodec.h"

namespace kelvandor {
namespace {

using Json = nlohmann::json;

constexpr int kFormat = 1;
// Twenty-four stars is the most a panel holds (two columns of small stars).
constexpr int kMostStars = 24;
// A journal is a few hundred bytes; anything far larger is not one.
constexpr std::streamsize kMostJournalBytes = 64 * 1024;

JournalReading Damaged(std::string problem) {
    JournalReading reading;
    reading.status = JournalReading::Status::Damaged;
    reading.problem = std::move(problem);
    return reading;
}

// `object[key]` as an integer in [low, high], or nullopt.
std::optional<std::int64_t> Integer(const Json& object, const char* key, std::int64_t low,
                                    std::int64_t high) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer()) {
        return std::nullopt;
    }
    const std::int64_t value = it->get<std::int64_t>();
    if (it->is_number_unsigned() && it->get<std::uint64_t>() >
                                        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string EncodeShowJournal(const ShowJournal& journal) {
    const ShowStanding& s = journal.standing;
    Json json = {
        {"format", kFormat},
        {"running", journal.running},
        {"stars", {s.Stars[0], s.Stars[1]}},
        {"gameNumber", s.GameNumber},
        {"activePlayer", s.ActivePlayer},
        {"startingPlayer", s.StartingPlayer},
    };
    // A root whose name is not UTF-8 is kept byte for byte, so that it is found again.
    if (DecodeUtf8(s.PuzzlePath)) {
        json["puzzleRoot"] = s.PuzzlePath;
    } else {
        Json bytes = Json::array();
        for (const char c : s.PuzzlePath) {
            bytes.push_back(static_cast<unsigned char>(c));
        }
        json["puzzleRootBytes"] = std::move(bytes);
    }
    return json.dump(2) + "\n";
}

JournalReading DecodeShowJournal(const std::string& bytes) {
    const Json json = Json::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) {
        return Damaged("not JSON (torn or overwritten)");
    }
    if (!json.is_object() || Integer(json, "format", kFormat, kFormat) != kFormat) {
        return Damaged("not a show journal of this program");
    }
    JournalReading reading;
    reading.status = JournalReading::Status::Read;
    ShowStanding& s = reading.journal.standing;

    const auto running = json.find("running");
    if (running == json.end() || !running->is_boolean()) {
        return Damaged("\"running\" is missing or not true/false");
    }
    reading.journal.running = running->get<bool>();

    const auto stars = json.find("stars");
    if (stars == json.end() || !stars->is_array() || stars->size() != 2) {
        return Damaged("\"stars\" is missing or not two numbers");
    }
    for (std::size_t p = 0; p < 2; ++p) {
        const Json& star = (*stars)[p];
        if (!star.is_number_integer() || star.get<std::int64_t>() < 0 ||
            star.get<std::int64_t>() > kMostStars) {
            return Damaged("\"stars\" holds a value other than 0 to 24");
        }
        s.Stars[p] = static_cast<std::uint8_t>(star.get<std::int64_t>());
    }

    const auto number = Integer(json, "gameNumber", std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max());
    const auto active = Integer(json, "activePlayer", 0, 2);
    const auto starting = Integer(json, "startingPlayer", 0, 2);
    if (!number || !active || !starting) {
        return Damaged("a game number or player is missing or out of range");
    }
    s.GameNumber = static_cast<std::int32_t>(*number);
    s.ActivePlayer = static_cast<std::uint32_t>(*active);
    s.StartingPlayer = static_cast<std::uint32_t>(*starting);

    if (const auto root = json.find("puzzleRoot"); root != json.end()) {
        if (!root->is_string()) {
            return Damaged("\"puzzleRoot\" is not a text");
        }
        s.PuzzlePath = root->get<std::string>();
    } else if (const auto rootBytes = json.find("puzzleRootBytes"); rootBytes != json.end()) {
        if (!rootBytes->is_array()) {
            return Damaged("\"puzzleRootBytes\" is not a list of bytes");
        }
        for (const Json& b : *rootBytes) {
            if (!b.is_number_integer() || b.get<std::int64_t>() < 1 || b.get<std::int64_t>() > 255) {
                return Damaged("\"puzzleRootBytes\" is not a list of bytes");
            }
            s.PuzzlePath.push_back(static_cast<char>(b.get<std::int64_t>()));
        }
    } else {
        return Damaged("the puzzle root is missing");
    }
    if (s.PuzzlePath.find('\0') != std::string::npos) {
        return Damaged("the puzzle root holds a zero byte");
    }
    return reading;
}

JournalReading ReadShowJournal(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        return Damaged(std::string("cannot read: ") + std::strerror(errno));
    }
    std::string bytes(static_cast<std::size_t>(kMostJournalBytes) + 1, '\0');
    in.read(bytes.data(), kMostJournalBytes + 1);
    if (in.bad()) {
        return Damaged("cannot read");
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > static_cast<std::size_t>(kMostJournalBytes)) {
        return Damaged("far too large for a show journal");
    }
    return DecodeShowJournal(bytes);
}

}  // namespace kelvandor
