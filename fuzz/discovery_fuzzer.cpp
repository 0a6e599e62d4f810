// A module file as discovery meets it: its kind by signature, its PiPL
// resources, or else its legacy name and category resources, and the filter
// entries made of them. The bytes go through a file, as a module does.
#include <unistd.h>

#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "pshost/plugin_list.h"

MUGWARP_FUZZ_TARGET(bytes) {
    static const std::string path = "/dev/shm/mugwarp-fuzz-" + std::to_string(::getpid()) + ".8bf";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    mugwarp::PSPluginList list;
    list.addModule(path);
    list.sort();
    for (int i = 0; i < list.count(); ++i) {
        (void)list.item(i).getEntryPoint();
        (void)list.item(i).filterCaseFlags(1);
    }
    ::unlink(path.c_str());
}
