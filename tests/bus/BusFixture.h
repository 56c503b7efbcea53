#pragma once

#include "TestSupport.h"

#include "backupfile/CFileManager.h"
#include "bus/BusDefs.h"
#include "bus/CKandoNetwork.h"

#include <gtest/gtest.h>

#include <string>

namespace bustest {

constexpr uint16_t kBusPort = bus::BUS_PORT;

// A backup file in a folder of the test's own, a fake dialog and scaled-down time; the bus
// connection and the file manager are deleted afterwards.
class BusTest : public ::testing::Test
{
protected:
    void SetUp() override { getFileManager()->open(m_file); }

    void TearDown() override
    {
        delete getKandoNetwork();
        delete getFileManager();
    }

    // A loopback address no earlier test of this program has used.
    static std::string nextAddress() { return testsupport::loopbackAddress(++s_addresses); }

    bool anyLineContains(const std::string& part) const
    {
        return testsupport::anyLineContains(m_dialog.lines(), part);
    }
    int linesWith(const std::string& part) const { return testsupport::linesContaining(m_dialog.lines(), part); }

    testsupport::ScopedTimeScale m_scale{0.001};
    testsupport::FakeDialog m_dialog;
    testsupport::ScopedTempDir m_temp{"nexo-bus"};
    const std::string m_file = m_temp.path("backup.mrk");

private:
    inline static int s_addresses = 0;
};

}  // namespace bustest
