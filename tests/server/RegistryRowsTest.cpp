// The registry content of a class, and the exact rows of RigManager.
#include <gtest/gtest.h>

#include "server/RegistryRows.h"
#include "server/RigManagerClass.h"

using com::RegistryRow;
using Data = RegistryRow::Data;

namespace {

TEST(GuidText, IsLowerCaseWithBraces) {
    EXPECT_EQ(com::guidText(CLSID_RigManager), "{ddc012f8-a786-4584-856d-044bc1f49414}");
    const GUID extremes = {0xFFFFFFFF, 0, 0xFFFF, {0, 1, 0xAB, 0xCD, 0xEF, 0x10, 0xFF, 0}};
    EXPECT_EQ(com::guidText(extremes), "{ffffffff-0000-ffff-0001-abcdef10ff00}");
}

void expectRow(const RegistryRow& row, const std::string& key, const std::string& name, Data data,
               const std::string& text) {
    EXPECT_EQ(row.key, key);
    EXPECT_EQ(row.valueName, name);
    EXPECT_EQ(row.data, data);
    EXPECT_EQ(row.text, text);
}

TEST(RegistryRows, RigManagerWritesExactlyItsClassKey) {
    const com::ClassEntry entry{&CLSID_RigManager, nullptr, &com::rigManagerRegistration};
    const com::ClassKeys keys = com::classKeys(entry);
    const std::string key = "CLSID\\{ddc012f8-a786-4584-856d-044bc1f49414}";
    EXPECT_EQ(keys.classKey, key);
    ASSERT_EQ(keys.rows.size(), 6u);
    expectRow(keys.rows[0], key, "", Data::Text, "RigManager class");
    expectRow(keys.rows[1], key + "\\InprocServer32", "", Data::ModulePath, "");
    expectRow(keys.rows[2], key + "\\InprocServer32", "ThreadingModel", Data::Text, "Apartment");
    expectRow(keys.rows[3], key + "\\TypeLib", "", Data::Text, "{fe4f5263-11d5-4724-95ba-a978983b6369}");
    expectRow(keys.rows[4], key + "\\Version", "", Data::Text, "1.0");
    expectRow(keys.rows[5], key + "\\Implemented Categories\\{C721215A-7716-101A-AA54-00608C61D0B1}", "",
              Data::KeyOnly, "");
}

TEST(RegistryRows, EveryRowLiesBelowTheClassKey) {
    const com::ClassEntry entry{&CLSID_RigManager, nullptr, &com::rigManagerRegistration};
    const com::ClassKeys keys = com::classKeys(entry);
    for (const RegistryRow& row : keys.rows) EXPECT_EQ(row.key.rfind(keys.classKey, 0), 0u) << row.key;
}

TEST(RegistryRows, OptionalTypeLibraryAndCategoryAreLeftOut) {
    const com::ClassRegistration bare{"Bare class", "Both", nullptr, "2.1", nullptr};
    const com::ClassEntry entry{&CLSID_RigManager, nullptr, &bare};
    const com::ClassKeys keys = com::classKeys(entry);
    ASSERT_EQ(keys.rows.size(), 4u);
    EXPECT_EQ(keys.rows[2].text, "Both");
    EXPECT_EQ(keys.rows[3].text, "2.1");
}

}  // namespace
