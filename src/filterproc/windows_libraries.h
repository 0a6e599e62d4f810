#pragma once
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pshost/pipl_manager.h"

namespace mugwarp::filterproc {

// Which DLLs a Windows module finds when Wine loads it: Wine's own builtin
// DLLs of its bitness, those installed into our prefix (system32 for 64-bit,
// syswow64 for 32-bit modules) and those beside the module. The folders are
// listed once, at the first question (a run of native filters asks none); a
// module's own folder at each question.
class WindowsLibraries {
public:
    WindowsLibraries(std::vector<std::string> builtinFolders, std::string prefixFolder)
        : builtinFolders_(std::move(builtinFolders)), prefixFolder_(std::move(prefixFolder)) {}

    // Empty when the module can load as far as its imports tell, else the
    // reason: "needs X.dll, which is not installed." Without any builtin
    // folder (Wine missing or elsewhere) nothing can be judged: empty.
    std::string missingFor(const PIPLManager& entry) const;

private:
    void listFolders() const;

    std::vector<std::string> builtinFolders_;
    std::string prefixFolder_;
    mutable bool listed_ = false;
    mutable bool judged_ = false;
    mutable std::set<std::string> installed_;  // lower case
};

// The reason a Windows module cannot run that its file alone tells: a .NET
// assembly, or a DLL it imports that is nowhere to be found. Empty otherwise.
std::string moduleProblem(const PIPLManager& entry, const WindowsLibraries& libraries);

}  // namespace mugwarp::filterproc
