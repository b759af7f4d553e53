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

// `roff` with a break point (\\:) after every wide character that may end a
// line before one that may start it, as Chinese breaks between ideographs,
// which roff cannot find for itself; text without wide characters as it is.
std::string WithBreakPoints(std::string_view roff);

// The man page's account of the names that --array and --table refuse, as
// roff: every rule and every list of names that the program holds.
std::string ManualNames();

}  // namespace gbkhex::cli
