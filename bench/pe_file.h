#pragma once
// A PE file read into memory: its machine, exports and imports, for checks
// of the built DLLs that need no loader.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testfiles {

// A PE file read into memory, with RVAs resolved through its sections.
class PeFile {
public:
    explicit PeFile(const std::wstring& path)
    {
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return;
        bytes_.resize(GetFileSize(handle, nullptr));
        DWORD read = 0;
        if (!ReadFile(handle, bytes_.data(), static_cast<DWORD>(bytes_.size()), &read, nullptr)) read = 0;
        bytes_.resize(read);
        CloseHandle(handle);
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER)) return;
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        const size_t nt = static_cast<size_t>(dos->e_lfanew);
        machine_ = At<IMAGE_FILE_HEADER>(nt + 4)->Machine;
        const auto* file = At<IMAGE_FILE_HEADER>(nt + 4);
        const size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
        const WORD magic = *At<WORD>(optional);
        const IMAGE_DATA_DIRECTORY* dirs =
            magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? At<IMAGE_OPTIONAL_HEADER64>(optional)->DataDirectory
                                                   : At<IMAGE_OPTIONAL_HEADER32>(optional)->DataDirectory;
        std::copy(dirs, dirs + IMAGE_NUMBEROF_DIRECTORY_ENTRIES, directories_);
        const size_t sections = optional + file->SizeOfOptionalHeader;
        for (WORD i = 0; i < file->NumberOfSections; ++i)
            sections_.push_back(*At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER)));
    }

    bool ok() const { return !sections_.empty(); }
    WORD machine() const { return machine_; }

    // Exported names by ordinal.
    std::map<DWORD, std::string> Exports() const
    {
        std::map<DWORD, std::string> out;
        const auto& d = directories_[IMAGE_DIRECTORY_ENTRY_EXPORT];
        if (!d.VirtualAddress) return out;
        const auto* e = Rva<IMAGE_EXPORT_DIRECTORY>(d.VirtualAddress);
        for (DWORD i = 0; i < e->NumberOfNames; ++i) {
            const DWORD nameRva = Rva<DWORD>(e->AddressOfNames)[i];
            const WORD index = Rva<WORD>(e->AddressOfNameOrdinals)[i];
            out[e->Base + index] = Rva<char>(nameRva);
        }
        return out;
    }
    DWORD ExportedFunctionCount() const
    {
        const auto& d = directories_[IMAGE_DIRECTORY_ENTRY_EXPORT];
        return d.VirtualAddress ? Rva<IMAGE_EXPORT_DIRECTORY>(d.VirtualAddress)->NumberOfFunctions : 0;
    }

    std::set<std::string> Imports() const
    {
        std::set<std::string> out;
        const auto& d = directories_[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* i = Rva<IMAGE_IMPORT_DESCRIPTOR>(d.VirtualAddress); i && i->Name; ++i) {
            std::string name = Rva<char>(i->Name);
            std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(tolower(c)); });
            out.insert(name);
        }
        return out;
    }

private:
    template <class T>
    const T* At(size_t offset) const
    {
        return offset + sizeof(T) <= bytes_.size() ? reinterpret_cast<const T*>(bytes_.data() + offset) : nullptr;
    }
    template <class T>
    const T* Rva(DWORD rva) const
    {
        for (const auto& s : sections_)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return At<T>(rva - s.VirtualAddress + s.PointerToRawData);
        return nullptr;
    }

    std::vector<char> bytes_;
    WORD machine_ = 0;
    IMAGE_DATA_DIRECTORY directories_[IMAGE_NUMBEROF_DIRECTORY_ENTRIES] = {};
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

} // namespace testfiles
