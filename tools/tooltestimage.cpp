// test-image: a copy of the ROM that starts at a chosen level.

#include <ostream>
#include <string>

#include "rom/leveldirectory.h"
#include "rom/romidentity.h"
#include "rom/testimage.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "toolsupport.h"

namespace orvex {

int runTestImage(const TestImageArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "test-image";
    auto rom = readSourceImage(io, kCommand, args.rom);
    if (!rom) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", rom.error());
    }
    const RomProfile& profile = rom->identity.profile;
    auto image = makeTestImage(rom->bytes, profile, args.level);
    if (!image) {
        return reportFailure(io, kCommand, args.rom,
                             "cannot make a copy that starts at " + levelName(args.level),
                             image.error());
    }
    if (Status written = writeOutput(args.out, *image, io.out, args.rom); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the test image",
                             written.error());
    }
    const ZoneAct act = *levelZoneAct(*image, profile, args.level);
    io.summary(args.out) << "wrote " << args.out.string() << ": the ROM starting "
                         << levelName(args.level) << " (zone " << int{act.zone} << ", act "
                         << act.act + 1 << ") when Start is pressed on the title screen\n";
    return kExitOk;
}

}  // namespace orvex
