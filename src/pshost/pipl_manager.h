#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pshost/four_char_code.h"

namespace mugwarp {

// How a module is built, which decides who can run it.
enum class ModuleKind {
    Native,     // a Linux x86-64 shared object, run in this process
    Windows64,  // a PE32+ DLL, run by the Windows runner
    Windows32,  // a PE32 DLL, run by the 32-bit Windows runner
};
const char* moduleKindName(ModuleKind kind);

// A module's text as a person reads it: blanks, NULs and control characters
// trimmed from both ends, those inside turned into spaces.
std::string shownText(std::string text);

// One property of a plug-in property list, as it lies in the resource.
struct PiplProperty {
    FourCharCode vendor = 0;
    FourCharCode key = 0;
    std::int32_t id = 0;
    std::vector<std::uint8_t> data;  // length bytes, padding not counted
};

// One discovered filter: its property list, the module it came from and the
// data word the module keeps across runs (its address is handed to every call).
class PIPLManager {
public:
    // Replaces all properties with those of a property list (version, count,
    // properties). A count, or a property, that runs past the bytes ends the
    // list there.
    void loadFromPIPL(std::span<const std::uint8_t> list);

    const std::vector<PiplProperty>& properties() const { return properties_; }
    int indexOfKey(FourCharCode key) const;
    const PiplProperty* findProperty(FourCharCode key) const;
    const std::vector<std::uint8_t>* propertyData(FourCharCode key) const;
    void setProperty(FourCharCode key, std::span<const std::uint8_t> bytes);

    // Length-prefixed texts as shown, matched and stored: without the blanks,
    // NULs and control characters some modules leave at either end (a length
    // counting the terminator), others inside read as spaces. Empty when the
    // property is missing.
    std::string getName() const { return shownText(pascalText(fourCharCode("name"))); }
    std::string getCategory() const { return shownText(pascalText(fourCharCode("catg"))); }
    // The entry point for the module's code: 32-bit ('wx86') for a 32-bit
    // Windows module, else 64-bit ('8664'); the other one when that is
    // missing. Up to the first zero byte; empty when neither is there.
    std::string getEntryPoint() const;
    void setName(const std::string& text) { setPascalText(fourCharCode("name"), text); }
    void setCategory(const std::string& text) { setPascalText(fourCharCode("catg"), text); }
    // Stored as bare characters under 'wx86', as the legacy resources name it.
    void setEntryPoint(const std::string& text);

    // The first flags byte of the filter-case record for filterCase (1-based),
    // or nothing without a 'fici' property long enough.
    std::optional<std::uint8_t> filterCaseFlags(int filterCase) const;

    std::string fileName;
    ModuleKind moduleKind = ModuleKind::Native;
    // Windows modules: the DLLs the module imports, and whether it is a .NET
    // assembly; whoever runs it judges whether they can be had.
    std::vector<std::string> importedLibraries;
    bool dotNetAssembly = false;
    std::intptr_t pluginData = 0;

private:
    std::string pascalText(FourCharCode key) const;
    void setPascalText(FourCharCode key, const std::string& text);

    std::vector<PiplProperty> properties_;
};

}  // namespace mugwarp
