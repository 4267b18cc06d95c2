// The chooser's list without a network: the names radios are shown by, and
// the numbers that hold for a whole discovery run.
#include "manager/ChoiceList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/RadioNames.h"

namespace {

using chooser::ChoiceList;

K4Ip::Discovered answered(const std::string& name, const std::string& id, const char* address = "0.0.0.0") {
    const boost::asio::ip::udp::endpoint from(boost::asio::ip::make_address_v4(address), 9100);
    return K4Ip::Discovered(std::make_shared<const K4Ip::DiscoveredImpl>(from, name, "", id));
}

// Each case lists radios in number order; a radio of batch 2 joins the list
// after every radio of batch 1 has been named.
struct Named {
    int batch;
    std::string name;
    std::string id;
    std::string shown;
};

std::vector<std::string> namesInBatches(const std::vector<Named>& radios) {
    chooser::RadioNames names;
    std::vector<std::string> shown;
    for (int batch = 1; batch <= 2; ++batch) {
        std::vector<K4Ip::Discovered> joining;
        for (const auto& radio : radios)
            if (radio.batch == batch) joining.push_back(answered(radio.name, radio.id));
        for (auto& name : names.join(joining)) shown.push_back(std::move(name));
    }
    return shown;
}

// Real K4s answer with their index as the name: such a radio is named after
// its id. Names and ids show without control bytes and end blanks; names
// that look alike get their ids once, then " #n" until every name differs.
TEST(RadioNames, EveryShownNameDiffersFromEveryOther) {
    const std::vector<std::vector<Named>> cases = {
        {{1, "0", "01234", "K4 01234"}, {1, "12", "A7", "K4 A7"}, {1, "4X", "B4", "4X"}, {1, " 0 ", "T", "K4 T"}},
        {{1, "Shack", "S1", "Shack (S1)"}, {1, "Shack", "S2", "Shack (S2)"}, {1, "Alpha", "U", "Alpha"}},
        {{1, "K4 1234", "A", "K4 1234 (A)"}, {1, "K4 1234 ", "B", "K4 1234 (B)"}},
        {{1, "0", "1234", "K4 1234 (1234)"}, {1, "0", "1234 ", "K4 1234 (1234) #2"}},
        {{1, "0", std::string("1234\0", 5), "K4 1234? (1234?)"}, {1, "K4 1234\x7f", "Z", "K4 1234? (Z)"}},
        {{1, "m\r", "M1", "m? (M1)"}, {1, "m\n", "M2", "m? (M2)"}, {1, "b\x1f~\x80", "Y", "b?~\x80"}},
        {{1, "Shack", "S1", "Shack (S1)"}, {1, "Shack", "S2", "Shack (S2)"}, {1, "Shack (S1)", "T", "Shack (S1) #2"}},
        {{1, "X", "a", "X (a)"}, {1, "X", "a ", "X (a) #3"}, {1, "X (a) #2", "b", "X (a) #2"},
         {1, "X", " a ", "X (a) #4"}},
        {{1, "Shack", "S1", "Shack"}, {2, "Shack", "S0", "Shack (S0)"}, {2, "Other", "S2", "Other"}},
        {{1, "Shack", "S1", "Shack (S1)"}, {1, "Shack", "S3", "Shack (S3)"}, {2, "Shack", "S2", "Shack (S2)"},
         {2, "Shack (S1)", "U", "Shack (S1) (U)"}},
        {{1, "0", "7", "K4 7"}, {2, "K4 7", "7 ", "K4 7 (7)"}, {2, "0", "7\t", "K4 7?"}},
        {{1, "X (a)", "z", "X (a)"}, {2, "X", "a", "X (a) #2"}, {2, "X", "b", "X (b)"}},
    };
    for (const auto& radios : cases) {
        std::vector<std::string> expected;
        for (const auto& radio : radios) expected.push_back(radio.shown);
        EXPECT_EQ(namesInBatches(radios), expected) << "case of " << radios.front().name << "/" << radios.front().id;
    }
}

// A source whose radios the test changes, counting the lists taken.
class ChoiceListTest : public ::testing::Test {
protected:
    ChoiceList list{[this] {
        ++taken;
        return radios;
    }};
    std::vector<K4Ip::Discovered> radios;
    int taken = 0;
};

// The host learns number 1 from the saved choice before any count; a radio
// that answers later sorts first but takes the next number, and the number
// the host holds still binds the radio it named.
TEST_F(ChoiceListTest, ANumberOnceGivenNamesTheSameRadioForTheWholeRun) {
    radios = {answered("Beta", "K4B", "10.0.0.2")};
    EXPECT_EQ(list.choiceOf("K4B"), 1u) << "a method before any count takes the list itself";

    radios = {answered("Alpha", "K4A"), answered("Beta", "K4B", "10.0.0.9"), answered("Beta", "K4C")};
    EXPECT_EQ(list.shown(), 1u);
    EXPECT_EQ(list.choiceOf("K4A"), 0u) << "answered after the count";
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(list.name(1), "Beta") << "a listed name never changes";
    EXPECT_EQ(list.name(2), "Alpha");
    EXPECT_EQ(list.name(3), "Beta (K4C)") << "the late radio takes the suffix";
    EXPECT_EQ(list.choiceOf("K4B"), 1u);
    const K4Ip::Discovered chosen = list.radio(1);
    EXPECT_EQ(chosen.id(), "K4B");
    EXPECT_EQ(chosen.from().address().to_string(), "10.0.0.9") << "as the radio last answered";

    radios.push_back(answered("0", "K4Y"));
    radios.push_back(answered("Zulu", "K4Z"));
    EXPECT_EQ(list.radioWithId("K4Z").name(), "Zulu") << "a saved radio is found among every radio that answered";
    EXPECT_EQ(list.choiceOf("K4Z"), 0u) << "and shown at the next count";
    EXPECT_FALSE(list.radioWithId("K4X"));
    EXPECT_EQ(list.count(), 5u);
    EXPECT_EQ(list.name(4), "K4 K4Y");
    EXPECT_EQ(list.choiceOf("K4Z"), 5u);

    list.restart();
    EXPECT_EQ(list.count(), 5u);
    EXPECT_EQ(list.name(1), "Alpha") << "a new run numbers in id order";
    EXPECT_EQ(list.name(2), "Beta (K4B)");
    EXPECT_EQ(list.choiceOf("K4Z"), 5u);
}

TEST_F(ChoiceListTest, ListingEveryRadioTakesTheListOnce) {
    for (int i = 0; i < 5000; ++i) radios.push_back(answered("0", std::to_string(100000 + i)));
    ASSERT_EQ(list.count(), 5000u);
    for (size_t choice = 1; choice <= 5000; ++choice) {
        ASSERT_EQ(list.name(choice), "K4 " + std::to_string(99999 + choice));
        ASSERT_EQ(list.choiceOf(std::to_string(99999 + choice)), choice);
    }
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(list.radio(5000).name(), list.name(5000)) << "a rig carries the name it was shown by";
}

}  // namespace
