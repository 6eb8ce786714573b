#pragma once

#include "terminal/ScreenModel.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace t8::test {

// Plays the view around the model: every block goes through one reused buffer with a zero byte
// behind it, as the link's ShowReceived does, wrap line feeds included; each wrap is recorded
// with the number of bytes of its block shown before it.
class ScreenFixture : public ::testing::Test, public ScreenHost {
protected:
    // A fresh record and flags in the given shape, keeping the terminal options given.
    void Reset(std::uint32_t newLine, std::uint32_t autoWrap, std::uint8_t flow) {
        tty = TTYInfo{};
        std::tie(tty.com.comNewLine, tty.com.comAutoWrap, tty.com.flowCtrl) =
            std::tuple(newLine, autoWrap, flow);
        flags = LinkFlags{};
        wraps.clear();
        hostCalls.clear();
    }
    void Shape(int columns, int visibleRows) {
        model.SetCellSize(8, 16);
        model.Resize(columns * 8, visibleRows * 16);
    }
    void Show(std::string_view bytes) {
        block.assign(bytes.begin(), bytes.end());
        block.push_back(0);
        model.Process(block.data(), bytes.size());
    }
    [[nodiscard]] std::string Text(int row) const {
        const auto cells = model.Row(row);
        std::string text(cells.begin(), cells.end());
        return text.erase(text.find_last_not_of(' ') + 1);
    }

    void Beep() override { hostCalls += "<bell>"; }
    void ReinjectLineFeed(std::size_t shown) override {
        wraps.push_back(shown);
        Show("\n");
    }
    void PromptCharacter(std::uint8_t byte) override { hostCalls += static_cast<char>(byte); }
    void PromptBackspace() override { hostCalls += "<bs>"; }

    TTYInfo tty;
    LinkFlags flags;
    ScreenModel model{tty, flags, *this};
    std::vector<std::uint8_t> block;
    std::vector<std::size_t> wraps;
    std::string hostCalls;
};

} // namespace t8::test
