// kxcompression.dll as its callers see it: loaded by name, one export.
#include <gtest/gtest.h>

#include "harness.h"
#include "nimbo/handle.h"
#include "outside/kxcompression.h"

TEST(KxcompressionDll, ExtractorFromTheExportUnpacksAnArchive) {
    NimboNS::ModuleHandle module(LoadLibraryW(L"kxcompression.dll"));
    ASSERT_TRUE(module);
    auto create = reinterpret_cast<Compression::CreateExtractorFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), Compression::kCreateExtractor)));
    ASSERT_NE(nullptr, create);
    Compression::IExtractor* extractor = create();
    ASSERT_NE(nullptr, extractor);
    nimbo_test::TempFolder temp;
    const std::wstring archive = nimbo_test::TestsFolder() + L"\\fixtures\\kxcompression\\python_tree.zip";
    EXPECT_EQ(1, extractor->Extract(archive.c_str(), temp.path().c_str()));
    EXPECT_TRUE(nimbo_test::FileExists(temp / L"bin\\lib\\deep\\core.dll"));
    ASSERT_TRUE(nimbo_test::WriteFileText(temp / L"plain.txt", "not an archive"));
    EXPECT_EQ(Compression::kNotAnArchive,
              extractor->Extract((temp / L"plain.txt").c_str(), temp.path().c_str()));
    extractor->Release();
}
