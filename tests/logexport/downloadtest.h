// The fixture the two download test files share: the rig started on a
// pseudo-terminal (or the test skipped), the one-box check, and what the
// device was asked.
#pragma once

#include "downloadrig.h"
#include "logexport/cancelcontroller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

class DownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<DownloadRig>();
        std::string why;
        if (!rig->start(&why))
            GTEST_SKIP() << "no pseudo-terminal: " << why;
    }

    void expectOnlyPrompt(const std::string& text, PromptIcon icon, const std::string& title)
    {
        ASSERT_EQ(rig->prompts.shown.size(), 1u);
        EXPECT_EQ(rig->prompts.shown[0].text, text);
        EXPECT_EQ(rig->prompts.shown[0].icon, icon);
        EXPECT_EQ(rig->prompts.shown[0].title, title);
    }

    // "Cancelar" pressed, as during a yield of the download.
    void pressCancelar() { CancelController(rig->context()).cmdCancelar_Click(); }

    // The values written to the select register `reg`. A slow reply on a
    // loaded host repeats a select, counted once here; it never skips one.
    std::vector<uint16_t> selectsAt(uint16_t reg) const
    {
        std::vector<uint16_t> values;
        for (const auto& t : rig->device.transactions()) {
            if (t.function == 6 && t.reg == reg &&
                (values.empty() || values.back() != t.countOrValue))
                values.push_back(t.countOrValue);
        }
        return values;
    }

    int transactionsAt(uint16_t reg) const
    {
        const auto all = rig->device.transactions();
        return static_cast<int>(
            std::count_if(all.begin(), all.end(), [&](const auto& t) { return t.reg == reg; }));
    }

    std::unique_ptr<DownloadRig> rig;
};
