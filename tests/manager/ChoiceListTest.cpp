// The chooser's list without a network: the names radios are shown by, and
// the snapshot that ties the host's numbers to its last count.
#include "manager/ChoiceList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/RadioNames.h"

namespace {

using chooser::ChoiceList;

K4Ip::Discovered answered(const std::string& name, const std::string& id) {
    return K4Ip::Discovered(std::make_shared<const K4Ip::DiscoveredImpl>(boost::asio::ip::udp::endpoint(), name, "", id));
}

// Real K4s answer with their index as the name: such a radio is listed after
// its id. Control bytes of a name show as '?' (an id's are kept), and names
// that agree get their ids until they all differ.
TEST(RadioNames, FollowTheRulesInTheirOrder) {
    const struct {
        const char* name;
        const char* id;
        const char* shown;
    } cases[] = {
        {"0", "01234", "K4 01234"},        {"0", "05678", "K4 05678"},
        {"12", "A7", "K4 A7"},             {"4X", "B4", "4X"},
        {" 0", "T", " 0"},                 {"Alpha", "U", "Alpha"},
        {"Shack", "S1", "Shack (S1)"},     {"Shack", "S2", "Shack (S2)"},
        {"K4 Z", "Q", "K4 Z (Q)"},         {"0", "Z", "K4 Z (Z)"},
        {"K4 12\r\n", "W", "K4 12??"},     {"b\x1f\x20~\x7f\x80", "Y", "b? ~?\x80"},
        {"m\r", "M1", "m? (M1)"},          {"m\n", "M2", "m? (M2)"},
        {"0", "d\r", "K4 d\r"},
        {"0", "a", "K4 a (a)"},            {"K4 a", "b", "K4 a (b) (b)"},
        {"K4 a (b)", "c", "K4 a (b) (c)"},
    };
    std::vector<K4Ip::Discovered> radios;
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        radios.push_back(answered(c.name, c.id));
        expected.push_back(c.shown);
    }
    EXPECT_EQ(chooser::radioNames(radios), expected);
}

// Crafted ids ("x", "x) (x", ...) can make names meet again round after
// round; the rounds are bounded, so a flood of such answers cannot hold the
// host's thread. Here radio 1 would take 18 ids without the bound.
TEST(RadioNames, CraftedIdsCannotKeepTheNamesMeetingForever) {
    const int extraRounds[] = {3, 6, 1, 0, 1, 3, 3, 2, 6, 5};
    std::vector<K4Ip::Discovered> radios;
    for (int k = 1; k <= 10; ++k) {
        std::string id = "x", name = "n";
        for (int i = 1; i < k; ++i) id += ") (x";
        for (int i = 0; i < extraRounds[k - 1]; ++i) name += " (x)";
        radios.push_back(answered(name, id));
    }
    const std::string first = chooser::radioNames(radios).front();
    const auto ids = (first.size() - radios.front().name().size()) / std::string(" (x)").size();
    EXPECT_EQ(ids, size_t(chooser::kMaxRounds));
}

// A source whose radios the test changes, counting snapshots and name builds.
class ChoiceListTest : public ::testing::Test {
protected:
    ChoiceList list{[this] {
                        ++taken;
                        return radios;
                    },
                    [this](const std::vector<K4Ip::Discovered>& listed) {
                        ++built;
                        return chooser::radioNames(listed);
                    }};
    std::vector<K4Ip::Discovered> radios;
    int taken = 0;
    int built = 0;
};

TEST_F(ChoiceListTest, NumbersStayTiedToTheLastCount) {
    radios = {answered("Beta", "K4B")};
    EXPECT_EQ(list.name(1), "Beta") << "a method before any count takes the snapshot itself";
    ASSERT_EQ(list.recount(), 1u);

    radios = {answered("Alpha", "K4A"), answered("Beta", "K4B")};  // answers after the count, sorts first
    EXPECT_EQ(list.count(), 1u);
    EXPECT_EQ(list.name(1), "Beta");
    EXPECT_EQ(list.radio(1).id(), "K4B");
    EXPECT_EQ(list.choiceOf("K4B"), 1u);
    EXPECT_EQ(list.choiceOf("K4A"), 0u);
    EXPECT_EQ(list.freshRadio("K4A").name(), "Alpha") << "the saved choice is found in a fresh list";
    EXPECT_FALSE(list.freshRadio("K4C"));
    EXPECT_EQ(list.count(), 1u) << "which leaves the snapshot alone";

    ASSERT_EQ(list.recount(), 2u);
    EXPECT_EQ(list.name(1), "Alpha");
    EXPECT_EQ(list.choiceOf("K4B"), 2u);
    EXPECT_EQ(taken, 5);
    EXPECT_EQ(built, 5);
}

TEST_F(ChoiceListTest, ListingEveryRadioBuildsTheNamesOnce) {
    for (int i = 0; i < 5000; ++i) radios.push_back(answered("0", std::to_string(100000 + i)));
    ASSERT_EQ(list.recount(), 5000u);
    for (size_t choice = 1; choice <= 5000; ++choice) {
        ASSERT_EQ(list.name(choice), "K4 " + std::to_string(99999 + choice));
        ASSERT_EQ(list.radio(choice).name(), list.name(choice)) << "a rig carries the name it was shown by";
    }
    EXPECT_EQ(list.choiceOf("104999"), 5000u);
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(built, 1);
}

}  // namespace
