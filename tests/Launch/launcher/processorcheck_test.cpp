#include <gtest/gtest.h>

#include <map>

#include "processorcheck.h"

namespace {

using NimboNS::IsArmMachine;
using NimboNS::ProcessorQueries;

// Answers of IsWow64GuestMachineSupported per machine: the HRESULT and what it writes.
struct GuestAnswer {
    HRESULT result;
    BOOL supported;
};

struct Case {
    const char* name;
    bool hasGuest;
    std::map<USHORT, GuestAnswer> guest;
    bool hasProcess2;
    BOOL process2Result;
    USHORT nativeMachine;
    bool arm;
    bool process2Asked;
};

TEST(ProcessorCheck, DecidesFromBothSystemQuestions) {
    const Case cases[] = {
        {"no questions available", false, {}, false, FALSE, 0, false, false},
        {"x64: nothing supported, native AMD64", true, {}, true, TRUE, 0x8664, false, true},
        {"ARM64 guest supported", true, {{0xAA64, {S_OK, TRUE}}}, true, TRUE, 0x8664, true, false},
        {"ARM guest supported skips the process question",
         true,
         {{0x01C0, {S_OK, TRUE}}},
         true,
         TRUE,
         0,
         true,
         false},
        {"ARMNT guest supported", true, {{0x01C4, {S_OK, TRUE}}}, false, FALSE, 0, true, false},
        {"a failing call is ignored even if it wrote TRUE",
         true,
         {{0xAA64, {E_FAIL, TRUE}}},
         true,
         TRUE,
         0x014C,
         false,
         true},
        {"native ARM64 from the process question", true, {}, true, TRUE, 0xAA64, true, true},
        {"native ARM Thumb without the guest question", false, {}, true, TRUE, 0x01C2, true, true},
        {"process question fails: no verdict", false, {}, true, FALSE, 0xAA64, false, true},
        {"native x86", false, {}, true, TRUE, 0x014C, false, true},
    };
    for (const auto& c : cases) {
        ProcessorQueries queries;
        std::map<USHORT, int> asked;
        if (c.hasGuest) {
            queries.guestMachineSupported = [&](USHORT machine, BOOL* supported) {
                EXPECT_EQ(*supported, FALSE) << c.name << ": the answer is cleared before each call";
                ++asked[machine];
                auto it = c.guest.find(machine);
                GuestAnswer answer = it != c.guest.end() ? it->second : GuestAnswer{S_OK, FALSE};
                *supported = answer.supported;
                return answer.result;
            };
        }
        bool process2Asked = false;
        if (c.hasProcess2) {
            queries.wow64Process2 = [&](USHORT* processMachine, USHORT* nativeMachine) {
                process2Asked = true;
                *processMachine = 0x014C;
                *nativeMachine = c.nativeMachine;
                return c.process2Result;
            };
        }
        EXPECT_EQ(IsArmMachine(queries), c.arm) << c.name;
        EXPECT_EQ(process2Asked, c.process2Asked) << c.name;
        if (c.hasGuest) {
            for (USHORT machine : {0x01C0, 0x01C2, 0x01C4, 0xAA64})
                EXPECT_EQ(asked[machine], 1) << c.name << ": machine " << machine;
        }
    }
}

}  // namespace
