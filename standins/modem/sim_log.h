// Text of the simulator's byte log and of its page record. Pure formatting:
// the shell decides where the lines go.
//
// Log lines (times in milliseconds since the simulator started):
//   "  1234.567 DTE> ATE0<13>"        bytes from the client
//   "  1236.001 <DCE <13><10>OK<13><10>" bytes to the client
//   "  1236.001 EVENT connect 1200"    something the simulator did or saw
// Record lines:
//   "page pager=... message=... password=... speed=... block_hex=..."
//   "dial number=... speed=..."
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace modemsim {

// Printable ASCII as is; every other byte (controls, DEL, bytes >= 128) as <NN> in decimal.
std::string ShowBytes(std::string_view bytes);

// Lowercase hex of every byte, no separators.
std::string HexBytes(std::string_view bytes);

enum class Direction { FromClient, ToClient };

// One log line without its newline; micros counts from the simulator's start.
std::string TrafficLine(std::int64_t micros, Direction direction, std::string_view bytes);
std::string EventLine(std::int64_t micros, std::string_view text);

// A page the terminal accepted. block holds every byte of its block(s), STX through final CR.
struct AcceptedPage {
    std::string pager;
    std::string message;
    std::string password;
    std::string block;
};

// Record lines without their newline.
std::string PageRecord(const AcceptedPage& page, int speed);
std::string DialRecord(std::string_view number, int speed);

} // namespace modemsim
