#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The command line of orvex-tool: which commands there are, what each takes, and the generic
// split of a command's arguments into operands and options.

namespace orvex {

inline constexpr std::string_view kToolName = "orvex-tool";

struct OptionInfo {
    std::string_view name;       // "--offset"
    std::string_view valueName;  // "N", or empty for a flag
    std::string_view help;
};

struct CommandInfo {
    std::string_view name;
    std::vector<std::string_view> operands;  // "ROM", "LEVEL", ...
    std::vector<OptionInfo> options;
    std::string_view summary;  // one line for the tool's own help
    std::string_view details;  // further lines for the command's help
};

// Every command of the tool, in the order the help lists them.
[[nodiscard]] const std::vector<CommandInfo>& toolCommands();
[[nodiscard]] const CommandInfo* findCommand(std::string_view name);

// "usage: orvex-tool render ROM LEVEL OUT.png [--plane fg|bg] [--blocks]"
[[nodiscard]] std::string usageLine(const CommandInfo& command);
[[nodiscard]] std::string commandHelp(const CommandInfo& command);
[[nodiscard]] std::string toolHelp();
[[nodiscard]] std::string toolUsageLine();

// A command's arguments split up. An option may be given as "--name value" or "--name=value";
// "--" ends the options. A word that starts with a dash and a digit ("-1") is an operand.
struct CommandArgs {
    std::vector<std::string> operands;
    std::map<std::string, std::string, std::less<>> options;  // flags map to ""
    bool help = false;

    [[nodiscard]] bool has(std::string_view option) const;
    [[nodiscard]] std::optional<std::string> value(std::string_view option) const;
};

// Splits `args` (the words after the command's name) as `command` expects them. Returns the
// reason on a usage error: an unknown option, a missing option value, too few or too many
// operands.
struct ParseOutcome {
    CommandArgs args;
    std::string error;  // empty when the arguments fit
};
[[nodiscard]] ParseOutcome parseCommandArgs(const CommandInfo& command,
                                            const std::vector<std::string>& args);

// A non-negative 32-bit number, decimal or with a 0x prefix hexadecimal.
[[nodiscard]] std::optional<std::int32_t> parseNumber(std::string_view text);

// A level as the level selector numbers them, 1 to 20, turned into the level index 0 to 19.
[[nodiscard]] std::optional<std::int16_t> parseLevel(std::string_view text);

}  // namespace orvex
