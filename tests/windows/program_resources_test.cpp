// What Sonabel.exe carries, read back from the built file as Windows reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ModuleCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        program_.reset(LoadLibraryExW(SONABEL_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(program_) << GetLastError();
    }

    std::string resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = FindResourceW(program_.get(), name, type);
        if (!found) return {};
        const auto* data = static_cast<const char*>(LockResource(LoadResource(program_.get(), found)));
        return std::string(data, SizeofResource(program_.get(), found));
    }

    std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser> program_;
};

TEST_F(ProgramResources, TheManifestAsksForSharpTextModernControlsLongPathsAndWindows10) {
    const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    for (const char* wanted : {
             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2",
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             ">true</longPathAware>",
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
             "level=\"asInvoker\"",
         }) {
        EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
    }
}

TEST_F(ProgramResources, TheWindowIconHoldsEverySizeFrom16To256) {
    // The library asks for IDI_APPLICATION of the program itself.
    const std::string group = resource(RT_GROUP_ICON, IDI_APPLICATION);
    ASSERT_GE(group.size(), 6u);
    const int count = *reinterpret_cast<const WORD*>(group.data() + 4);
    std::vector<int> sizes;
    // GRPICONDIRENTRY: 14 bytes, width first (0 for 256).
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= int(group.size()); ++i) {
        const int width = static_cast<unsigned char>(group[6 + 14 * i]);
        sizes.push_back(width == 0 ? 256 : width);
    }
    for (int size : {16, 24, 32, 48, 256}) EXPECT_NE(std::find(sizes.begin(), sizes.end(), size), sizes.end()) << size;
    HICON icon = static_cast<HICON>(LoadImageW(program_.get(), IDI_APPLICATION, IMAGE_ICON, 256, 256, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
}

TEST_F(ProgramResources, TheVersionBlockCarriesTheProjectVersion) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(SONABEL_EXE_PATH, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(SONABEL_EXE_PATH, 0, DWORD(block.size()), block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(SONABEL_VERSION_MAJOR << 16 | SONABEL_VERSION_MINOR));
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(SONABEL_VERSION_PATCH << 16));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    for (const auto& [key, expected] : {std::pair{L"ProductName", L"Sonabel"}, std::pair{L"OriginalFilename", L"Sonabel.exe"},
                                        std::pair{L"ProductVersion", SONABEL_VERSION}}) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << key;
        EXPECT_STREQ(value, expected);
    }
}

}  // namespace
