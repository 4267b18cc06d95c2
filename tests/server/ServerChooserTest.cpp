// The registered driver driven the way the logger drives it, through the real
// COM runtime: a RigManager created by CLSID in a single-threaded apartment
// lists simulated radios through its chooser and binds network rigs that poll
// them, and hands out serial rigs that talk through a host port object lent
// from this apartment or, through the type-library marshaler, from another.
//
// Runs in a Wine prefix of its own, where it registers the DLL, and in a
// private network namespace: the simulated radios listen on 127.0.0.1 and the
// manager's discovery probes for them. The prefix's quillbox.ini is the
// driver's settings file; each test starts and ends with section RIGS empty.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "k4sim/Simulator.h"
#include "support/FakeRigIO.h"
#include "tests/server/ComRuntimeHelpers.h"
#include "tests/server/DriverDll.h"

using com::ComPtr;
using testsupport::FakeRigIO;

using comtest::canUnloadNow;
using comtest::refCount;
using comtest::takeBstr;

namespace {

const char* const iniFile = "quillbox.ini";
const char* const iniSection = "RIGS";
const LONG checkAgain = 10;
const LONG quiet = -1;

// Section RIGS of the prefix's settings file, empty when the object is made
// and when it goes.
class RigsSection {
public:
    RigsSection() { clear(); }
    ~RigsSection() { clear(); }
    RigsSection(const RigsSection&) = delete;
    RigsSection& operator=(const RigsSection&) = delete;

    void set(const std::string& key, const std::string& value) {
        EXPECT_TRUE(WritePrivateProfileStringA(iniSection, key.c_str(), value.c_str(), iniFile));
    }
    std::string get(const std::string& key) const {
        char value[128] = {};
        GetPrivateProfileStringA(iniSection, key.c_str(), "", value, sizeof value, iniFile);
        return value;
    }

private:
    static void clear() { WritePrivateProfileStringA(iniSection, nullptr, nullptr, iniFile); }
};

struct Frequency {
    double xmit = -1;
    double rcv = -1;
    SHORT mode = -1;
    SHORT primaryVfo = -1;
    SHORT split = -1;
};

Frequency frequencyOf(IQbRig* rig) {
    Frequency f;
    EXPECT_EQ(rig->GetFrequency(&f.xmit, &f.rcv, &f.mode, &f.primaryVfo, &f.split), S_OK);
    return f;
}

// Launch, then Check for as long as the pTime hints ask, pausing between
// calls as a logger does, until the rig reports the exchange quiet.
void pollUntilQuiet(IQbRig* rig, DWORD pauseMs) {
    LONG hint = 0;
    ASSERT_EQ(rig->Launch(&hint), S_OK);
    ASSERT_EQ(hint, checkAgain) << "the poll was sent";
    const ULONGLONG giveUp = GetTickCount64() + 5000;
    while (hint == checkAgain) {
        ASSERT_LT(GetTickCount64(), giveUp) << "the rig never went quiet";
        Sleep(pauseMs);
        ASSERT_EQ(rig->Check(&hint), S_OK);
    }
    EXPECT_EQ(hint, quiet);
}

// The rig is bound to the named radio and its link is up.
void expectLinkedTo(IQbRig* rig, const std::wstring& radioName) {
    ComPtr<IQbRigDisplayInfo> info;
    ASSERT_EQ(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(info->GetRigName(&name), S_OK);
    EXPECT_EQ(takeBstr(name), radioName);
    SHORT isError = -1;
    BSTR status = reinterpret_cast<BSTR>(0x1);
    ASSERT_EQ(info->GetStatusText(&isError, &status), S_OK);
    EXPECT_EQ(isError, 0);
    EXPECT_EQ(status, nullptr);
}

// Registers the DLL once; each test runs in a single-threaded apartment of
// its own with an empty settings section, and creates managers by CLSID.
class DriverThroughComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        comtest::DriverDll dll;
        ASSERT_EQ(dll.registerServer(), S_OK);
    }

    void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
    void TearDown() override {
        CoFreeUnusedLibrariesEx(0, 0);
        CoUninitialize();
    }

    static ComPtr<IRigManager3> createManager() {
        ComPtr<IRigManager3> manager;
        EXPECT_EQ(CoCreateInstance(CLSID_RigManager, nullptr, CLSCTX_INPROC_SERVER, IID_IRigManager3,
                                   reinterpret_cast<void**>(manager.receive())),
                  S_OK);
        return manager;
    }

    RigsSection rigs;
};

// ---------------------------------------------------------------------------
// The radio chooser against simulated radios.

k4sim::RadioOptions radio(const std::string& name, const std::string& id) {
    k4sim::RadioOptions options;
    options.name = name;
    options.id = id;
    options.port = 0;
    return options;
}

class ChooserThroughComTest : public DriverThroughComTest {
protected:
    // Serves these radios (replacing any served before) and points discovery
    // at the simulator; takes effect at the next discovery start.
    void serve(std::vector<k4sim::RadioOptions> radios) {
        sim_.reset();
        k4sim::SimOptions options;
        options.radios = std::move(radios);
        options.bindAddress = "127.0.0.1";
        options.discoveryPort = 0;
        sim_ = std::make_unique<k4sim::Simulator>(options);
        sim_->start();
        rigs.set("ELECRAFT_K4_PORTNUMBER", std::to_string(sim_->discoveryPort()));
    }

    // The TCP port of a slot selects which simulated radio its rig reaches.
    void pointSlotAt(SHORT slot, const std::string& radioName) {
        k4sim::Radio* served = sim_->findRadio(radioName);
        ASSERT_NE(served, nullptr);
        rigs.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT" + std::to_string(slot + 1), std::to_string(served->port()));
    }

    // Creates the manager (which starts discovery) and takes its chooser.
    ComPtr<IRadioChooser> startChooser() {
        manager = createManager();
        ComPtr<IRadioChooser> chooser;
        if (manager) {
            EXPECT_EQ(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive())), S_OK);
        }
        return chooser;
    }

    static SHORT numChoices(IRadioChooser* chooser, SHORT clearCache = 0) {
        SHORT count = -1;
        EXPECT_EQ(chooser->GetNumChoices(0, clearCache, &count), S_OK);
        return count;
    }

    // The names of choices 0 to count - 1.
    static std::vector<std::wstring> choiceNames(IRadioChooser* chooser, SHORT count) {
        std::vector<std::wstring> names;
        for (SHORT choice = 0; choice < count; ++choice) {
            BSTR name = nullptr;
            EXPECT_EQ(chooser->GetRadioName(0, choice, &name), S_OK);
            names.push_back(takeBstr(name));
        }
        return names;
    }

    static SHORT savedChoice(IRadioChooser* chooser, SHORT slot) {
        SHORT saved = -1;
        EXPECT_EQ(chooser->GetSavedChoice(0, slot, &saved), S_OK);
        return saved;
    }

    // The manager goes before the apartment does.
    void TearDown() override {
        manager.reset();
        DriverThroughComTest::TearDown();
    }

    std::unique_ptr<k4sim::Simulator> sim_;
    ComPtr<IRigManager3> manager;
};

TEST_F(ChooserThroughComTest, WithNoRadioOffersOnlyTheDllsAddressDialog) {
    serve({});
    ComPtr<IRadioChooser> chooser = startChooser();
    ASSERT_TRUE(chooser);

    ASSERT_EQ(numChoices(chooser.get()), 1);
    EXPECT_EQ(choiceNames(chooser.get(), 1), std::vector<std::wstring>{L"IP edit..."})
        << "the string comes from the DLL's own resources";
    BSTR name = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(chooser->GetRadioName(0, 1, &name), E_INVALIDARG);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(savedChoice(chooser.get(), 0), 0);

    IQbRig* rig = reinterpret_cast<IQbRig*>(0x1);
    EXPECT_EQ(chooser->GetRigObject(0, -1, 0, &rig), E_FAIL);
    EXPECT_EQ(rig, nullptr);
}

TEST_F(ChooserThroughComTest, ListsTwoRadiosByIdAndSavesThePickForItsSlot) {
    serve({radio("Beta", "K4B002"), radio("Alpha", "K4A001")});
    pointSlotAt(1, "Beta");
    ComPtr<IRadioChooser> chooser = startChooser();
    ASSERT_TRUE(chooser);

    ASSERT_EQ(numChoices(chooser.get()), 3);
    EXPECT_EQ(choiceNames(chooser.get(), 3), (std::vector<std::wstring>{L"IP edit...", L"Alpha", L"Beta"}));

    ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 2, 1, rig.receive()), S_OK);
    ASSERT_TRUE(rig);
    EXPECT_EQ(rigs.get("K4Slot2"), "K4B002");
    EXPECT_EQ(rigs.get("K4Slot1"), "");
    EXPECT_EQ(savedChoice(chooser.get(), 1), 2);
    EXPECT_EQ(savedChoice(chooser.get(), 0), 0);
    expectLinkedTo(rig.get(), L"Beta");
    EXPECT_EQ(refCount(rig.get()), 1u);
}

TEST_F(ChooserThroughComTest, ARadioChosenByNumberIsPolledByItsRig) {
    k4sim::RadioOptions alpha = radio("Alpha", "K4A001");
    alpha.initialState.vfoA = 7010000;
    alpha.initialState.vfoB = 7012500;
    alpha.initialState.split = true;
    alpha.initialState.mode = 1;
    serve({alpha});
    pointSlotAt(0, "Alpha");
    ComPtr<IRadioChooser> chooser = startChooser();
    ASSERT_TRUE(chooser);
    ASSERT_EQ(numChoices(chooser.get()), 2);
    EXPECT_EQ(choiceNames(chooser.get(), 2), (std::vector<std::wstring>{L"IP edit...", L"Alpha"}));

    ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);
    EXPECT_EQ(rigs.get("K4Slot1"), "K4A001");
    expectLinkedTo(rig.get(), L"Alpha");

    ASSERT_NO_FATAL_FAILURE(pollUntilQuiet(rig.get(), 5));
    const Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 7010.0);
    EXPECT_DOUBLE_EQ(f.xmit, 7012.5);
    EXPECT_EQ(f.mode, 1);
    EXPECT_EQ(f.split, 1);
    EXPECT_EQ(sim_->radio(0).received().substr(0, 16), "FA;FB;FT;MD;MD$;");
}

TEST_F(ChooserThroughComTest, TheSavedRadioIsFoundAndBoundAfterTheListChanged) {
    serve({radio("Mike", "K4M")});
    ComPtr<IRadioChooser> chooser = startChooser();
    ASSERT_TRUE(chooser);
    ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);
    EXPECT_EQ(rigs.get("K4Slot1"), "K4M");
    EXPECT_EQ(savedChoice(chooser.get(), 0), 1);
    rig.reset();

    // A radio with a smaller id answers the refresh: the saved radio moves up.
    k4sim::RadioOptions mike = radio("Mike", "K4M");
    mike.initialState.vfoA = 21074000;
    mike.initialState.mode = 3;
    serve({mike, radio("Alpha", "K4A")});
    pointSlotAt(0, "Mike");
    ASSERT_EQ(numChoices(chooser.get(), 1), 3) << "a fresh discovery run";
    EXPECT_EQ(choiceNames(chooser.get(), 3), (std::vector<std::wstring>{L"IP edit...", L"Alpha", L"Mike"}));
    EXPECT_EQ(savedChoice(chooser.get(), 0), 2);

    ASSERT_EQ(chooser->GetRigObject(0, -1, 0, rig.receive()), S_OK);
    ASSERT_TRUE(rig);
    expectLinkedTo(rig.get(), L"Mike");
    EXPECT_EQ(rigs.get("K4Slot1"), "K4M");

    ASSERT_NO_FATAL_FAILURE(pollUntilQuiet(rig.get(), 5));
    const Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 21074.0);
    EXPECT_DOUBLE_EQ(f.xmit, 21074.0);
    EXPECT_EQ(f.mode, 3);
    EXPECT_EQ(f.split, 0);
}

// ---------------------------------------------------------------------------
// The serial rig over a host port object.

class SerialRigThroughComTest : public DriverThroughComTest {
protected:
    static ComPtr<IQbRig> serialRig(IRigManager3* manager) {
        ComPtr<IQbRig> rig;
        EXPECT_EQ(manager->GetRigObject(1, rig.receive()), S_OK);
        return rig;
    }
};

// One poll through a lent port: the poll string leaves in one WriteChars as a
// one-dimensional byte array based at 0, and the answers handed back by
// ReadChars are parsed. Runs in whichever apartment the port lives in.
void pollThroughPort(IQbRig* rig, FakeRigIO* port) {
    port->clearWrites();
    LONG hint = 0;
    ASSERT_EQ(rig->Launch(&hint), S_OK);
    EXPECT_EQ(hint, checkAgain);
    ASSERT_EQ(port->writes().size(), 1u);
    const FakeRigIO::Write& poll = port->writes()[0];
    EXPECT_EQ(poll.bytes, "FA;FB;FT;MD;MD$;");
    EXPECT_EQ(poll.type, VT_ARRAY | VT_UI1);
    EXPECT_EQ(poll.dimensions, 1u);
    EXPECT_EQ(poll.lowerBound, 0);
    EXPECT_EQ(poll.upperBound, 15);

    const size_t readsBefore = port->reads().size();
    port->queueBytes("FA00007010000;FB00007012500;FT1;MD6;MD$3;");
    ASSERT_EQ(rig->Check(&hint), S_OK);
    EXPECT_EQ(hint, checkAgain) << "answers were parsed";
    ASSERT_EQ(rig->Check(&hint), S_OK);
    EXPECT_EQ(hint, quiet);
    ASSERT_EQ(port->reads().size(), readsBefore + 2);
    for (size_t i = readsBefore; i < port->reads().size(); ++i) {
        EXPECT_EQ(port->reads()[i].typeOnEntry, VT_EMPTY);
        EXPECT_EQ(port->reads()[i].commErrorOnEntry, 0);
    }

    const Frequency f = frequencyOf(rig);
    EXPECT_DOUBLE_EQ(f.rcv, 7010.0);
    EXPECT_DOUBLE_EQ(f.xmit, 7012.5);
    EXPECT_EQ(f.mode, 6);
    EXPECT_EQ(f.split, 1);
}

TEST_F(SerialRigThroughComTest, LentPortCarriesThePollAndItsAnswers) {
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    ComPtr<IQbRig> rig = serialRig(manager.get());
    ASSERT_TRUE(rig);
    void* info = this;
    EXPECT_EQ(rig->QueryInterface(IID_IQbRigDisplayInfo, &info), E_NOINTERFACE);
    EXPECT_EQ(info, nullptr);

    FakeRigIO::Ptr port = FakeRigIO::create();
    ASSERT_TRUE(port);
    ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK);
    EXPECT_EQ(port->references(), 2u);
    ASSERT_EQ(rig->PutCommPort(port.get(), 3), S_OK);
    EXPECT_EQ(port->references(), 2u) << "the same port again takes no second reference";

    ASSERT_NO_FATAL_FAILURE(pollThroughPort(rig.get(), port.get()));

    ASSERT_EQ(rig->PutCommPort(nullptr, 0), S_OK);
    EXPECT_EQ(port->references(), 1u);
    LONG hint = 0;
    EXPECT_EQ(rig->Check(&hint), E_FAIL) << "no port any more";
    EXPECT_EQ(hint, quiet);
    EXPECT_EQ(refCount(rig.get()), 1u);
}

// Runs `work` on a new thread in the multithreaded apartment while this
// single-threaded apartment dispatches the calls that thread makes into it.
template <class Work>
void runInMultithreadedApartment(Work work) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue, for the quit message
    const DWORD apartmentThread = GetCurrentThreadId();
    std::thread caller([&] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        work();
        CoUninitialize();
        PostThreadMessageW(apartmentThread, WM_QUIT, 0, 0);
    });
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    caller.join();
}

TEST_F(SerialRigThroughComTest, APortLentFromAnotherApartmentCrossesTheMarshaler) {
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    ComPtr<IQbRig> rig = serialRig(manager.get());
    ASSERT_TRUE(rig);
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IQbRig, rig.get(), &stream), S_OK);

    runInMultithreadedApartment([&] {
        ComPtr<IQbRig> remote;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IQbRig, reinterpret_cast<void**>(remote.receive())), S_OK);
        EXPECT_NE(static_cast<void*>(remote.get()), static_cast<void*>(rig.get())) << "a proxy";

        // The port lives here; the rig's apartment calls it through a proxy.
        FakeRigIO::Ptr port = FakeRigIO::create();
        ASSERT_TRUE(port);
        ASSERT_EQ(remote->PutCommPort(port.get(), 0), S_OK);
        EXPECT_GT(port->references(), 1u);
        ASSERT_NO_FATAL_FAILURE(pollThroughPort(remote.get(), port.get()));
        ASSERT_EQ(remote->PutCommPort(nullptr, 0), S_OK);
        EXPECT_EQ(port->references(), 1u) << "the rig's apartment let go of the port";
    });

    EXPECT_EQ(refCount(rig.get()), 1u) << "the proxy's references are gone";
    const Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 7010.0);
}

TEST_F(SerialRigThroughComTest, ModuleStaysWhileARigHoldsALentPort) {
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    ComPtr<IQbRig> rig = serialRig(manager.get());
    ASSERT_TRUE(rig);
    FakeRigIO::Ptr port = FakeRigIO::create();
    ASSERT_TRUE(port);
    ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK);

    manager.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ASSERT_NO_FATAL_FAILURE(pollThroughPort(rig.get(), port.get()));
    EXPECT_EQ(port->references(), 2u);

    rig.reset();
    EXPECT_EQ(port->references(), 1u) << "the rig released the port exactly once";
    EXPECT_EQ(canUnloadNow(), S_OK);
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(comtest::kDriverDllName), nullptr);
}

}  // namespace
