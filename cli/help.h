#pragma once

#include <string>
#include <string_view>

namespace gbkhex::cli {

// The texts that tell the user about the options, all made from the option
// table, so that none can leave an option out or say another thing of it.

// "Usage: ..." lines, for --help and after a bad command line.
std::string UsageText();

// What --help shows: the usage, what the program does, every option with its
// summary, and how inputs, faults and exit statuses go.
std::string HelpText();

// The man page's synopsis lines and its options, as roff: every option an
// entry (.TP) of its own, its summary first, then its further paragraphs.
std::string ManualSynopsis();
std::string ManualOptions();

// Where roff may break a line without a blank: between Chinese ideographs,
// which roff cannot find for itself.
inline constexpr std::string_view kRoffBreak = "\\:";

// The man page's account of the names that --array and --table refuse, as
// roff: every rule and every list of names that the program holds.
std::string ManualNames();

}  // namespace gbkhex::cli
