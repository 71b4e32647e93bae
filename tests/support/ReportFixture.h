#pragma once

// A test that writes reports into a temporary folder, with the messages and
// the files the program would open recorded instead of shown.

#include <gtest/gtest.h>

#include "support/Recorders.h"
#include "support/TempFolder.h"

class RecordingReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        m_previousSink = g_messageSink;
        m_previousOpener = g_reportOpener;
        g_messageSink = &m_sink;
        g_reportOpener = &m_opener;
    }
    void TearDown() override
    {
        g_messageSink = m_previousSink;
        g_reportOpener = m_previousOpener;
    }

    TempFolder m_folder;
    RecordingSink m_sink;
    RecordingReportOpener m_opener;
    MessageSink* m_previousSink = nullptr;
    ReportOpener* m_previousOpener = nullptr;
};
