// Which drives removable-disk spanning talks to.
#include "platform/fs.h"

namespace plat {
namespace {

RemovableDrives g_systemDrives;
RemovableDrives* g_drives = &g_systemDrives;

} // namespace

RemovableDrives& Drives() {
    return *g_drives;
}

RemovableDrives* SetDrives(RemovableDrives* drives) {
    RemovableDrives* previous = g_drives == &g_systemDrives ? nullptr : g_drives;
    g_drives = drives != nullptr ? drives : &g_systemDrives;
    return previous;
}

} // namespace plat
