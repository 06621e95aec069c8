#pragma once

#include <cstddef>
#include <string>

// The few file-system services the settings store and the log defaults need;
// one implementation file per platform.
namespace StorePlatform {

// The per-user configuration folder ($XDG_CONFIG_HOME, else ~/.config), no
// trailing separator; empty when no home folder can be found.
std::string configHomeFolder();
// The per-user state folder ($XDG_STATE_HOME, else ~/.local/state), no trailing
// separator; empty when no home folder can be found.
std::string stateHomeFolder();

// Creates a folder and any missing parents, each with mode 0700. Returns 0
// (also when it exists already) or an errno value.
int makeFolders(const std::string& folder);

// How a symbolic link in a file's place is taken when the file is opened.
enum class LinkPolicy
{
    // Followed only where nobody but its owner (or root) can write the folder
    // holding it: elsewhere another user could point it anywhere.
    FollowInPrivateFolder,
    // Never followed: for files the program itself made.
    Refuse,
};

// Reads a whole regular file of at most maxBytes bytes. The open never
// blocks (a FIFO in the file's place cannot hang it). Returns 0 or an errno
// value: EFBIG for a larger file, EISDIR for a folder, EINVAL for anything
// else that is not a regular file, ELOOP for a link that is not followed.
// `owner` and `mode` (when given) receive the file's owner and permission
// bits as it was opened.
int readSmallFile(const std::string& path, std::size_t maxBytes, std::string& content,
                  LinkPolicy links = LinkPolicy::FollowInPrivateFolder, unsigned* owner = nullptr,
                  unsigned* mode = nullptr);

// Replaces the file with content so that a crash leaves either the old or the
// new file: a temporary file beside it is written, flushed and renamed over
// it (<path>.tmp, left behind only by a crash and replaced by the next
// write). Missing parent folders are created (mode 0700); the file gets the given
// permission bits. Returns 0 or an errno value.
int replaceFileAtomically(const std::string& path, const std::string& content, unsigned mode);

// The per-user data folder ($XDG_DATA_HOME, else ~/.local/share), no trailing
// separator; empty when no home folder can be found.
std::string dataHomeFolder();
// Creates the folder and its missing parents with mode 0700. Returns 0 or an
// errno value (ENOTDIR when a part of the path is a file).
int createFolders(const std::string& folder);
// Moves a file that could not be read out of the way, to
// "<path>.unreadable-<YYYYmmdd-HHMMSS>" (a counter added when that name is
// taken: an earlier copy is never overwritten), and makes the copy readable
// by its owner only (0600). Only a regular file or a symbolic link is moved;
// a folder, FIFO or device at the path gives EINVAL. Returns 0 or an errno
// value; `movedTo` receives the copy's path.
int moveAside(const std::string& path, std::string& movedTo);

} // namespace StorePlatform
