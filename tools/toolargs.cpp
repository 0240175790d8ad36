#include "toolargs.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "rom/romprofile.h"

namespace orvex {

namespace {

constexpr std::string_view kMoveListsHelp =
    "when the list does not fit its place or is shared, move every level's object and ring "
    "lists to the end of the ROM";
constexpr std::string_view kAnyLevelHelp =
    "import a file whose \"level\" field names another level";

constexpr std::string_view kMoveArtHelp =
    "when the stream no longer fits its place, move it to the end of the ROM";

// The commands whose ROM may be a disassembly project's folder.
constexpr std::array<std::string_view, 19> kProjectCommands{
    "info",           "layout-export",    "layout-import",    "render",          "level-info",
    "level-set",      "objects-export",   "objects-import",   "rings-export",    "rings-import",
    "art-export",     "art-import",       "mappings-export",  "mappings-import", "palette-export",
    "palette-import", "collision-export", "collision-import", "test-image"};

constexpr std::string_view kBuildCommandHelp =
    "a project's build command (default: lua build.lua where build.lua exists)";
constexpr std::string_view kBuildTimeoutHelp =
    "seconds a project's build may run before it is stopped (default 120)";
constexpr std::string_view kProjectBackupsHelp =
    "keep NAME.bak and NAME.orig beside each project file a save replaces (default: none, the "
    "project's version control keeps the history)";

std::vector<CommandInfo> withProjectOptions(std::vector<CommandInfo> commands) {
    for (CommandInfo& command : commands) {
        if (std::find(kProjectCommands.begin(), kProjectCommands.end(), command.name) !=
            kProjectCommands.end()) {
            command.options.push_back({"--build-command", "CMD", kBuildCommandHelp});
            command.options.push_back({"--build-timeout", "SECONDS", kBuildTimeoutHelp});
            command.options.push_back({"--project-backups", "", kProjectBackupsHelp});
        }
    }
    return commands;
}

std::vector<CommandInfo> makeCommands() {
    return withProjectOptions({
        {"info",
         {"ROM"},
         {},
         "name the image and list its tables, every level's streams, and the header",
         "First what the image is (a revision of the game, or built from the disassembly) and\n"
         "where each table lies and how it was found. Then one line per level: level, zone,\n"
         "act, the ROM offset and compressed length of its tile art, chunk mappings, block\n"
         "mappings and layout, its palette number and palette offset. Then whether the layouts\n"
         "are migrated, the ROM end field and the checksum."},
        {"kos-decompress",
         {"IN", "OUT"},
         {{"--offset", "N", "byte offset of the stream in IN (decimal or 0x hex; default 0)"}},
         "decompress a Kosinski stream into a file",
         "Decompresses the Kosinski stream at offset N of IN into OUT and prints the stream's\n"
         "length in bytes."},
        {"kos-compress",
         {"IN", "OUT"},
         {{"--rle", "", "use the editor's run-length encoder instead of the optimal one"}},
         "compress a file into a Kosinski stream",
         "Compresses all of IN into a Kosinski stream in OUT with the optimal encoder. OUT holds\n"
         "the stream only, end marker included, without the padding byte a level save adds."},
        {"layout-export",
         {"ROM", "LEVEL", "OUT"},
         {},
         "write a level's decompressed layout",
         "Writes the decompressed layout of level LEVEL (1 to 20, as in the level selector)\n"
         "to OUT: rows of 256 bytes, 128 foreground columns then 128 background columns."},
        {"layout-import",
         {"ROM", "LEVEL", "IN"},
         {},
         "save a file as a level's layout",
         "Saves IN as the layout of level LEVEL exactly as the editor saves a level: the\n"
         "compressed layout must fit its room, the ROM end field and the checksum are updated.\n"
         "IN must have the size of the level's current layout. A refusal changes nothing."},
        {"migrate",
         {"ROM"},
         {{"--yes", "", "migrate without asking"}},
         "move the layouts to the end of the ROM so that saves fit",
         "Runs the check the editor makes when it opens a ROM. A factory ROM is offered the\n"
         "migration of its layouts; the question is read from the terminal (y/n; anything\n"
         "else or end of input is No). A migrated ROM is left unchanged."},
        {"fix-checksum",
         {"ROM"},
         {},
         "write the checksum the game computes",
         "Writes the sum the game checks at boot into the header word at 0x18E."},
        {"render",
         {"ROM", "LEVEL", "OUT.png"},
         {{"--plane", "fg|bg", "the foreground (columns 0-127, default) or background plane"},
          {"--blocks", "", "draw the 256 block pictures, 16 to a row, instead"},
          {"--objects", "", "draw the level's objects and rings over the foreground"},
          {"--sprite", "ID[:SUBTYPE]", "draw one object type alone (hexadecimal, e.g. 41:02)"},
          {"--collision", "1|2", "draw the ground of collision path 1 or 2 over the plane"}},
         "draw a level plane, its blocks or its sprites as a PNG",
         "Draws one plane of the level's layout at one pixel per pixel of a block picture: a\n"
         "4,096-byte layout gives 16,384 x 2,048 pixels; a partial last row of 256 bytes is\n"
         "left out. With --blocks, the 256 block pictures (2,048 x 2,048 pixels). With\n"
         "--objects, objects and rings are drawn with the sprites the zone's debug object list\n"
         "names (a square where it names none, a circle for rings without ring art). With\n"
         "--sprite, one object type as that list draws it, with a 4-pixel margin. With\n"
         "--collision, each chunk's collision shape on that path is drawn over the plane where\n"
         "its block entry makes it solid, in three colours added after the level's: top only,\n"
         "sides and bottom only, all. Options that choose different pictures (--objects with\n"
         "--blocks or --plane bg, --plane with --blocks or --sprite, --sprite with --blocks or\n"
         "--objects, --collision with --blocks or --sprite) are refused."},
        {"level-info",
         {"ROM", "LEVEL"},
         {},
         "print what is placed in a level: start, boundaries, objects, rings",
         "Prints the level's zone and act, its start position, the camera's boundaries, and\n"
         "how many objects and rings it has, with where their lists lie."},
        {"level-set",
         {"ROM", "LEVEL"},
         {{"--start", "X,Y", "the player's start position, in pixels"},
          {"--bounds", "XMIN,XMAX,YMIN,YMAX", "the camera's boundaries, in pixels"}},
         "set a level's start position or boundaries",
         "Writes the start position and/or the boundaries of the level into their tables, as\n"
         "the editor saves a level. Numbers are decimal or 0x hex, 0 to 0xFFFF; a negative\n"
         "one (-256) is written as the game reads it ($FF00). A minimum above its maximum,\n"
         "compared as signed words as the game does, is refused. A start the camera cannot\n"
         "show within the boundaries (it shows 320 x 224 pixels from its top left corner, which\n"
         "they limit) is written with a warning."},
        {"objects-export",
         {"ROM", "LEVEL", "OUT.json"},
         {},
         "write a level's objects as JSON",
         "Writes the level's object list: {\"objects\": [{\"x\", \"y\", \"id\", \"subtype\",\n"
         "\"xFlip\", \"yFlip\", \"rememberState\", \"twoPlayer\"}, ...]} (see the README)."},
        {"objects-import",
         {"ROM", "LEVEL", "IN.json"},
         {{"--move-lists", "", kMoveListsHelp},
          {"--any-level", "", kAnyLevelHelp},
          {"--any-id", "", "import objects whose id has no code in the game (0, 0xDD to 0xFF)"}},
         "save a JSON file as a level's objects",
         "Saves the objects of IN.json as the level's object list, sorted by x as the game\n"
         "needs them. The first bad field refuses the whole file; nothing is written then, nor\n"
         "when the list is the level's already. The file's \"level\", when it has one, must be\n"
         "LEVEL, and each id one the game has code for (0x01 to 0xDC), unless told otherwise.\n"
         "A list longer than its place in the ROM, or one shared with another act, is refused\n"
         "unless --move-lists is given: then the object and ring lists of all 20 levels move\n"
         "to the end of the ROM, each into room for at least 512 objects (or twice the list),\n"
         "and the game's code is pointed at them."},
        {"rings-export",
         {"ROM", "LEVEL", "OUT.json"},
         {},
         "write a level's rings as JSON",
         "Writes the level's ring groups: {\"rings\": [{\"x\", \"y\", \"count\", \"column\"}, "
         "...]}."},
        {"rings-import",
         {"ROM", "LEVEL", "IN.json"},
         {{"--move-lists", "", kMoveListsHelp}, {"--any-level", "", kAnyLevelHelp}},
         "save a JSON file as a level's rings",
         "Saves the ring groups of IN.json as the level's ring list. The first bad field\n"
         "refuses the whole file; nothing is written then, nor when the list is the level's\n"
         "already. The file's \"level\", when it has one, must be LEVEL unless --any-level is\n"
         "given. A list longer than its place in the ROM is refused unless --move-lists is\n"
         "given: then the object and ring lists of all 20 levels move to the end of the ROM,\n"
         "each into room for at least 256 groups (or twice the list), and the game's code is\n"
         "pointed at them."},
        {"art-export",
         {"ROM", "LEVEL", "tiles|chunks|blocks", "OUT.png"},
         {{"--line", "N", "the palette line (0 to 3) a sheet of tiles is shown in"}},
         "write a level's tiles, chunks or blocks as an indexed PNG",
         "Writes an 8-bit indexed PNG, 16 pieces a row. A sheet of tiles holds each pixel's\n"
         "index 0 to 15, shown in one palette line (--line, by default the line most chunk\n"
         "entries use); chunks and blocks are drawn in the level's 64 colours."},
        {"art-import",
         {"ROM", "LEVEL", "tiles", "IN.png"},
         {{"--first", "TILE", "the first tile the sheet replaces (default 0)"},
          {"--line", "N", "the palette line (0 to 3) the sheet's colours are matched in"},
          {"--indices", "", "take an indexed sheet's indices as they are, whatever its palette"},
          {"--move-art", "", kMoveArtHelp}},
         "save a PNG sheet as a level's tiles",
         "Reads a PNG whose sides are multiples of 8 and writes its tiles in sheet order\n"
         "(width / 8 a row) over the level's tile art from --first on; more tiles grow the art.\n"
         "Each pixel becomes the index of its colour in one palette line (--line, by default\n"
         "the line most chunk entries use, as art-export draws it), compared exactly; an\n"
         "indexed PNG whose palette is that line's keeps its indices, as does any indexed PNG\n"
         "with --indices. A colour the line does not hold is refused with the first such pixel\n"
         "and the line's nearest colour. Blank tiles that end the sheet past the art's end are\n"
         "left out. The game's limits are checked before anything is written (see the README);\n"
         "every level sharing the art is named."},
        {"mappings-export",
         {"ROM", "LEVEL", "chunks|blocks", "OUT.json"},
         {},
         "write a level's chunk or block mappings as JSON",
         "Writes {\"level\", \"chunks\": [[{\"tile\", \"xFlip\", \"yFlip\", \"line\",\n"
         "\"priority\"} x 4], ...]} or {\"level\", \"blocks\": [[{\"chunk\", \"xFlip\",\n"
         "\"yFlip\", \"path1\", \"path2\"} x 64], ...]} (see the README)."},
        {"mappings-import",
         {"ROM", "LEVEL", "chunks|blocks", "IN.json"},
         {{"--move-art", "", kMoveArtHelp},
          {"--any-level", "", kAnyLevelHelp},
          {"--keep-dangling", "",
           "save even when block entries or layout cells then name pieces past the end"}},
         "save a JSON file as a level's chunk or block mappings",
         "Replaces the level's chunk or block mappings with those of IN.json. The first bad\n"
         "field refuses the whole file; nothing is written then. The game's limits are checked\n"
         "before anything is written; every level sharing the mappings is named. Fewer chunks\n"
         "(blocks) than the level's block entries (layout cells) name are refused with how\n"
         "many name a piece past the end, unless --keep-dangling is given."},
        {"collision-export",
         {"ROM", "LEVEL", "OUT.json"},
         {},
         "write a level's collision indexes as JSON",
         "Writes {\"level\", \"sharedWith\": [levels], \"chunks\": [{\"path1\", \"path2\"} x\n"
         "768]}: the collision shape id (0 to 255, 0 none) of each chunk on each path, and the\n"
         "other levels that read either index (see the README)."},
        {"collision-import",
         {"ROM", "LEVEL", "IN.json"},
         {{"--move-art", "", kMoveArtHelp}, {"--any-level", "", kAnyLevelHelp}},
         "save a JSON file as a level's collision indexes",
         "Replaces the level's two collision indexes with those of IN.json. The first bad\n"
         "field refuses the whole file; nothing is written then. A zone whose paths read one\n"
         "index needs path1 and path2 equal. Every level and path reading a changed index is\n"
         "named."},
        {"palette-export",
         {"ROM", "LEVEL", "OUT.json"},
         {},
         "write a level's four palette lines as JSON",
         "Writes {\"level\", \"lines\": [[\"#RRGGBB\" x 16] x 4]}; line 0 is the line every\n"
         "level shares."},
        {"palette-import",
         {"ROM", "LEVEL", "IN.json"},
         {{"--shared-line", "", "import line 0 too, which every level shares"},
          {"--any-level", "", kAnyLevelHelp}},
         "save a JSON file as a level's palette",
         "Saves lines 1 to 3 of IN.json as the level's palette. Each channel must be one of the\n"
         "console's eight levels (00, 20, ... E0); another is refused naming the nearest. Line 0\n"
         "must equal the ROM's unless --shared-line is given."},
        {"normalize",
         {"IN", "OUT"},
         {},
         "write the plain image inside a copier dump",
         "Writes the plain cartridge image inside IN to OUT: a 512-byte copier header is\n"
         "stripped, an interleaved .smd dump de-interleaved, a byte-swapped image swapped back.\n"
         "IN itself is never changed. A dump cut short (an .smd with a partial 16 KiB block,\n"
         "an image shorter than its ROM end field at 0x1A4 says) is refused; nothing is\n"
         "written then."},
        {"test-image",
         {"ROM", "LEVEL", "OUT"},
         {},
         "write a copy of the ROM that starts at a level, for an emulator",
         "Writes to OUT a copy of ROM in which Start on the title screen (one player) starts\n"
         "level LEVEL instead of the first: the title screen's code that sets the zone and act\n"
         "is rewritten to set the level's, and the checksum is updated. ROM is not changed, and\n"
         "OUT may not be ROM itself. A ROM without that code, or with it more than once, is\n"
         "refused; nothing is written then."},
        {"demo-rom",
         {"OUT"},
         {{"--revision", "00|01|02|built",
           "the table layout: a revision of the game (default 01) or a build with every table "
           "moved"}},
         "write the demo ROM",
         "Writes the demo ROM: a complete cartridge image with 20 levels drawn by code."},
    });
}

const OptionInfo* findOption(const CommandInfo& command, std::string_view name) {
    for (const OptionInfo& option : command.options) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

// Takes one "--name[=value]" word, and the next word when the option wants a value.
std::string takeOption(const CommandInfo& command, const std::vector<std::string>& args,
                       std::size_t& at, CommandArgs& parsed) {
    const std::string& word = args[at];
    const auto equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const OptionInfo* option = findOption(command, name);
    if (option == nullptr) {
        return "unknown option " + name + " for " + std::string(command.name);
    }
    if (option->valueName.empty()) {
        if (equals != std::string::npos) {
            return "option " + name + " takes no value";
        }
        parsed.options[name] = "";
        return {};
    }
    if (equals != std::string::npos) {
        parsed.options[name] = word.substr(equals + 1);
        return {};
    }
    if (at + 1 >= args.size()) {
        return "option " + name + " needs a value " + std::string(option->valueName);
    }
    parsed.options[name] = args[++at];
    return {};
}

// "--name" or "-h"; a negative number ("-1") is an operand, for its command to judge.
bool isOptionWord(std::string_view word) {
    return word.size() > 1 && word[0] == '-' && !std::isdigit(static_cast<unsigned char>(word[1]));
}

std::string checkOperandCount(const CommandInfo& command, std::size_t count) {
    if (count < command.operands.size()) {
        return "missing " + std::string(command.operands[count]) + " for " +
               std::string(command.name);
    }
    if (count > command.operands.size()) {
        return "too many arguments for " + std::string(command.name);
    }
    return {};
}

}  // namespace

const std::vector<CommandInfo>& toolCommands() {
    static const std::vector<CommandInfo> commands = makeCommands();
    return commands;
}

const CommandInfo* findCommand(std::string_view name) {
    for (const CommandInfo& command : toolCommands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

std::string usageLine(const CommandInfo& command) {
    std::string line = "usage: " + std::string(kToolName) + " " + std::string(command.name);
    for (std::string_view operand : command.operands) {
        line += " " + std::string(operand);
    }
    for (const OptionInfo& option : command.options) {
        line += " [" + std::string(option.name);
        if (!option.valueName.empty()) {
            line += " " + std::string(option.valueName);
        }
        line += "]";
    }
    return line;
}

std::string commandHelp(const CommandInfo& command) {
    std::string help = usageLine(command) + "\n\n" + std::string(command.details) + "\n";
    if (!command.options.empty()) {
        help += "\nOptions:\n";
    }
    for (const OptionInfo& option : command.options) {
        std::string left = "  " + std::string(option.name);
        if (!option.valueName.empty()) {
            left += " " + std::string(option.valueName);
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 18), ' ');
        help += left + std::string(option.help) + "\n";
    }
    return help;
}

std::string toolUsageLine() {
    return "usage: " + std::string(kToolName) + " COMMAND ARGS... (" + std::string(kToolName) +
           " --help lists the commands)";
}

std::string toolHelp() {
    std::string help = "usage: " + std::string(kToolName) +
                       " COMMAND ARGS...\n\n"
                       "Reads and changes the levels of a Sonic 2 (Mega Drive) ROM. LEVEL is 1 "
                       "to 20,\nas in the editor's level selector. An output (OUT) of - is "
                       "standard output.\n\n"
                       "ROM may also be a disassembly project's folder (one holding s2.lst, or "
                       "build.lua\nbeside an .asm source) for info, render, level-info, "
                       "level-set, test-image and\nevery export and import. Levels are read "
                       "from its last build, which runs first\nwhen the listing is older than "
                       "a file it names (its command and output go to\nstandard error; "
                       "--build-command CMD and --build-timeout SECONDS choose how). An\nimport "
                       "saves each changed part into the file it came from, then builds again.\n"
                       "\nCommands:\n";
    for (const CommandInfo& command : toolCommands()) {
        std::string left = "  " + std::string(command.name);
        left.resize(std::max<std::size_t>(left.size() + 2, 20), ' ');
        help += left + std::string(command.summary) + "\n";
    }
    help += "\n" + std::string(kToolName) + " COMMAND --help shows a command's arguments.\n";
    return help;
}

bool CommandArgs::has(std::string_view option) const {
    return options.find(option) != options.end();
}

std::optional<std::string> CommandArgs::value(std::string_view option) const {
    const auto found = options.find(option);
    if (found == options.end()) {
        return std::nullopt;
    }
    return found->second;
}

ParseOutcome parseCommandArgs(const CommandInfo& command, const std::vector<std::string>& args) {
    ParseOutcome outcome;
    bool optionsEnded = false;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& word = args[at];
        if (!optionsEnded && (word == "--help" || word == "-h")) {
            outcome.args.help = true;
            return outcome;
        }
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && isOptionWord(word)) {
            outcome.error = takeOption(command, args, at, outcome.args);
        } else {
            outcome.args.operands.push_back(word);
        }
        if (!outcome.error.empty()) {
            return outcome;
        }
    }
    outcome.error = checkOperandCount(command, outcome.args.operands.size());
    return outcome;
}

std::optional<std::int32_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::int32_t value = 0;
    const char* last = text.data() + text.size();
    const auto [end, failure] = std::from_chars(text.data(), last, value, base);
    if (text.empty() || failure != std::errc() || end != last || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int16_t> parseLevel(std::string_view text) {
    const auto number = parseNumber(text);
    if (!number || *number < 1 || *number > kLevelCount) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*number - 1);
}

}  // namespace orvex
