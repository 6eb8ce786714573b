#include "link/PermissionHint.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace t8 {

namespace {

// getpwuid_r and getgrgid_r want a buffer for the strings; a group with many members needs more.
constexpr std::size_t kFirstEntryBuffer = 4096;
constexpr std::size_t kMaxEntryBuffer = std::size_t{1} << 20;
constexpr int kFirstGroupCount = 32; // getgrouplist says how many more it needs

// getpwuid_r or getgrgid_r, with a buffer grown until the entry's strings fit.
template <typename Entry, typename Id>
Entry* LookUp(int (*lookUp)(Id, Entry*, char*, std::size_t, Entry**), Id id, Entry& entry,
              std::vector<char>& buffer) {
    buffer.resize(kFirstEntryBuffer);
    Entry* found = nullptr;
    while (lookUp(id, &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < kMaxEntryBuffer) {
        buffer.resize(buffer.size() * 2);
    }
    return found;
}

std::string UserName(uid_t uid) {
    std::vector<char> buffer;
    passwd entry{};
    const passwd* found = LookUp(getpwuid_r, uid, entry, buffer);
    return found ? std::string(found->pw_name) : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer;
    group entry{};
    const group* found = LookUp(getgrgid_r, gid, entry, buffer);
    return found ? std::string(found->gr_name) : std::to_string(gid);
}

bool ProcessHoldsGroup(gid_t gid) {
    if (getegid() == gid) {
        return true;
    }
    const int count = getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

// Membership as the group database has it: what the next login will hold.
bool DatabaseListsUserInGroup(uid_t uid, gid_t gid) {
    std::vector<char> buffer;
    passwd entry{};
    const passwd* found = LookUp(getpwuid_r, uid, entry, buffer);
    if (!found) {
        return false;
    }
    if (found->pw_gid == gid) {
        return true;
    }
    int count = kFirstGroupCount;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
            return false;
        }
    }
    groups.resize(static_cast<std::size_t>(count));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

DeviceAccess LookUpDeviceAccess(const std::string& path) {
    DeviceAccess access;
    access.path = path;
    access.user = UserName(geteuid());
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return access;
    }
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    access.known = true;
    access.owner = UserName(info.st_uid);
    access.group = GroupName(info.st_gid);
    access.groupMayReadWrite = (info.st_mode & kGroupReadWrite) == kGroupReadWrite;
    access.inGroupNow = ProcessHoldsGroup(info.st_gid);
    access.inGroupAfterLogin = DatabaseListsUserInGroup(geteuid(), info.st_gid);
    return access;
}

std::string PermissionAdvice(const DeviceAccess& access) {
    const std::string user = Quoted(access.user);
    const std::string group = Quoted(access.group);
    if (!access.known) {
        return "A folder on the way to " + access.path + " is closed to the user " + user + ".";
    }
    if (access.owner == access.user) {
        return "The user " + user + " owns " + access.path +
               ", but its permissions do not allow reading and writing it.";
    }
    if (!access.groupMayReadWrite) {
        return "Only the user " + Quoted(access.owner) + " may open " + access.path +
               ": its group " + group +
               " may not read and write it, so joining that group would not help.";
    }
    if (access.inGroupNow) {
        return "The user " + user + " is in the group " + group + " that owns " + access.path +
               ", yet the system refused access (an access list or a security policy).";
    }
    if (access.inGroupAfterLogin) {
        return access.path + " belongs to the group " + group + ". The user " + user +
               " was added to it after this session began: log out and log in again.";
    }
    return access.path + " belongs to the group " + group + ", and the user " + user +
           " is not in it.\nTo join it: sudo adduser $USER " + access.group +
           "\nthen log out and log in again.";
}

std::string PermissionHint(const std::string& path, const LinkError& openError) {
    if (path.empty() || openError.kind != LinkErrorKind::PermissionDenied) {
        return {};
    }
    return PermissionAdvice(LookUpDeviceAccess(path));
}

} // namespace t8
