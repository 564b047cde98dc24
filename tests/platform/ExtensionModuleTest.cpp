#include "morvash/platform/ExtensionModule.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtensionModule, ChainHoldsEachLibraryUntilItsTermination) {
    AFX_EXTENSION_MODULE first;
    AFX_EXTENSION_MODULE second;
    ASSERT_TRUE(AfxInitExtensionModule(first, "First"));
    ASSERT_TRUE(AfxInitExtensionModule(second, "Second"));
    new CDynLinkLibrary(first);
    new CDynLinkLibrary(second);
    EXPECT_EQ(AfxCountExtensionModules("First"), 1);
    EXPECT_EQ(AfxCountExtensionModules("Second"), 1);

    AfxTermExtensionModule(first);
    EXPECT_EQ(AfxCountExtensionModules("First"), 0);
    EXPECT_EQ(AfxCountExtensionModules("Second"), 1);
    EXPECT_FALSE(first.bInitialized);

    AfxTermExtensionModule(second);
    EXPECT_EQ(AfxCountExtensionModules("Second"), 0);
}

}  // namespace
