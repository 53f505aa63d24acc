#include "engine/general/MachineMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>

namespace {

const double kUnknown = std::numeric_limits<double>::infinity();

// The number after key in a file of "Key: value [kB]" lines, in bytes; kUnknown when absent.
double StatusValue(const char* file, const std::string& key)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::istringstream fields(line.substr(key.size()));
        double value = 0;
        std::string unit;
        if (!(fields >> value))
            return kUnknown;
        fields >> unit;
        return unit == "kB" ? value * 1024 : value;
    }
    return kUnknown;
}

// The single number a cgroup file holds; kUnknown for "max", a missing file, or v1's "no limit",
// a number near 2^63.
double CgroupValue(const std::string& file)
{
    std::ifstream in(file);
    double value = 0;
    if (!(in >> value) || value >= 0x1p60)
        return kUnknown;
    return value;
}

// The room left under the limits of the cgroup at path below root and of every cgroup above it,
// whose limits hold for it too.
double CgroupRoom(const std::string& root, std::string path, const char* limitFile, const char* usageFile)
{
    double room = kUnknown;
    for (;;) {
        const std::string folder = root + (path == "/" ? "" : path) + "/";
        const double limit = CgroupValue(folder + limitFile);
        const double usage = CgroupValue(folder + usageFile);
        if (limit < kUnknown && usage < kUnknown)
            room = std::min(room, std::max(0.0, limit - usage));
        if (path.empty() || path == "/")
            return room;
        const size_t slash = path.rfind('/');
        path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
}

// The room under the memory cgroups of this process, from /proc/self/cgroup: "0::path" for v2
// (mounted at /sys/fs/cgroup, or at /sys/fs/cgroup/unified beside v1), "n:...memory...:path"
// for v1.
double CgroupsRoom()
{
    std::ifstream in("/proc/self/cgroup");
    std::string line;
    double room = kUnknown;
    while (std::getline(in, line)) {
        const size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (line.compare(0, first, "0") == 0 && controllers.empty()) {
            for (const char* root : {"/sys/fs/cgroup", "/sys/fs/cgroup/unified"})
                room = std::min(room, CgroupRoom(root, path, "memory.max", "memory.current"));
        } else {
            std::istringstream list(controllers);
            std::string controller;
            while (std::getline(list, controller, ','))
                if (controller == "memory")
                    room = std::min(room, CgroupRoom("/sys/fs/cgroup/memory", path, "memory.limit_in_bytes",
                                                     "memory.usage_in_bytes"));
        }
    }
    return room;
}

// The room under a resource limit of this process, given the size it has now.
double LimitRoom(int resource, const char* sizeKey)
{
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kUnknown;
    const double size = StatusValue("/proc/self/status", sizeKey);
    return std::max(0.0, static_cast<double>(limit.rlim_cur) - (size < kUnknown ? size : 0));
}

} // namespace

double AvailableMemoryBytes()
{
    return std::min({StatusValue("/proc/meminfo", "MemAvailable:"), CgroupsRoom(), LimitRoom(RLIMIT_AS, "VmSize:"),
                     LimitRoom(RLIMIT_DATA, "VmData:")});
}

double AddressSpaceRoomBytes()
{
    return std::min(LimitRoom(RLIMIT_AS, "VmSize:"), LimitRoom(RLIMIT_DATA, "VmData:"));
}

double PeakMemoryBytes()
{
    // The mark of this program's own memory map: getrusage's would also hold a parent's that
    // started it by vfork.
    const double peak = StatusValue("/proc/self/status", "VmHWM:");
    return peak == kUnknown ? 0 : peak;
}

void PreferHugePages(const void* data, double bytes)
{
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + static_cast<uintptr_t>(bytes)) & ~(kHuge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // advice only: failure is harmless
}
