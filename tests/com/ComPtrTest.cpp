// ComPtr: each verb's effect on the reference count of the object it holds.
#include <gtest/gtest.h>

#include <utility>

#include "com/ComPtr.h"
#include "tests/com/TestObjects.h"

using com::ComPtr;
using comtest::CountingUnknown;

TEST(ComPtr, AdoptTakesNoReferenceAndReleasesOnceWhenDestroyed) {
    CountingUnknown object;
    {
        ComPtr<IUnknown> held = ComPtr<IUnknown>::adopt(&object);
        EXPECT_EQ(held.get(), &object);
        EXPECT_EQ(object.addRefs, 0);
    }
    EXPECT_EQ(object.releases, 1);
}

TEST(ComPtr, RetainAddsOneReference) {
    CountingUnknown object;
    {
        ComPtr<IUnknown> held = ComPtr<IUnknown>::retain(&object);
        EXPECT_EQ(object.addRefs, 1);
        EXPECT_EQ(object.releases, 0);
    }
    EXPECT_EQ(object.releases, 1);
}

TEST(ComPtr, NullIsHeldWithoutCalls) {
    ComPtr<IUnknown> empty = ComPtr<IUnknown>::retain(nullptr);
    EXPECT_FALSE(empty);
    ComPtr<IUnknown> copy = empty;
    CountingUnknown stale;
    IUnknown* out = &stale;
    copy.copyTo(&out);
    EXPECT_EQ(out, nullptr);
    copy.reset();
    EXPECT_EQ(stale.addRefs + stale.releases, 0);
}

TEST(ComPtr, CopyAddsAReferenceAndMoveAddsNone) {
    CountingUnknown object;
    ComPtr<IUnknown> first = ComPtr<IUnknown>::adopt(&object);
    ComPtr<IUnknown> second = first;
    EXPECT_EQ(object.addRefs, 1);
    ComPtr<IUnknown> third = std::move(first);
    EXPECT_EQ(object.addRefs, 1);
    EXPECT_FALSE(first);
    EXPECT_EQ(third.get(), &object);
    second.reset();
    third.reset();
    EXPECT_EQ(object.releases, 2);
}

TEST(ComPtr, AssignmentReleasesTheOldObjectAndRetainsTheNew) {
    CountingUnknown oldObject, newObject;
    ComPtr<IUnknown> held = ComPtr<IUnknown>::adopt(&oldObject);
    ComPtr<IUnknown> other = ComPtr<IUnknown>::adopt(&newObject);
    held = other;
    EXPECT_EQ(oldObject.releases, 1);
    EXPECT_EQ(newObject.addRefs, 1);
    held = held;  // self-assignment changes nothing
    EXPECT_EQ(newObject.addRefs - newObject.releases, 1);
}

TEST(ComPtr, ResetReleasesOnceAndEmpties) {
    CountingUnknown object;
    ComPtr<IUnknown> held = ComPtr<IUnknown>::adopt(&object);
    held.reset();
    held.reset();
    EXPECT_EQ(object.releases, 1);
    EXPECT_FALSE(held);
}

TEST(ComPtr, DetachHandsOverTheReferenceUnchanged) {
    CountingUnknown object;
    IUnknown* raw = nullptr;
    {
        ComPtr<IUnknown> held = ComPtr<IUnknown>::adopt(&object);
        raw = held.detach();
        EXPECT_FALSE(held);
    }
    EXPECT_EQ(raw, &object);
    EXPECT_EQ(object.addRefs, 0);
    EXPECT_EQ(object.releases, 0);
}

TEST(ComPtr, CopyToGivesTheCallerANewReference) {
    CountingUnknown object;
    ComPtr<IUnknown> held = ComPtr<IUnknown>::adopt(&object);
    IUnknown* out = nullptr;
    held.copyTo(&out);
    EXPECT_EQ(out, &object);
    EXPECT_EQ(object.addRefs, 1);
    EXPECT_EQ(held.get(), &object);
}

TEST(ComPtr, ReceiveReleasesTheHeldObjectAndOffersAnEmptySlot) {
    CountingUnknown oldObject, newObject;
    ComPtr<IUnknown> held = ComPtr<IUnknown>::adopt(&oldObject);
    IUnknown** slot = held.receive();
    EXPECT_EQ(oldObject.releases, 1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*slot, nullptr);
    *slot = &newObject;  // as a call returning a reference through I** does
    EXPECT_EQ(held.get(), &newObject);
    held.reset();
    EXPECT_EQ(newObject.addRefs, 0);
    EXPECT_EQ(newObject.releases, 1);
}
