// The settings window's layout: window properties, every control with its frame, the maker's
// links, and the taller layout it takes when the program was started without a target.
#pragma once

#include <array>

#include "platform/form_layout.h"

namespace tarvo {

const FormSpec& settingsLayout();

// The maker's addresses: the mail label shows the address and opens the "mailto:" form
// (one blank after the colon); the web label shows and opens the full address.
inline constexpr char kMakerMail[] = "tarvolin@example.com";
inline constexpr char kMakerMailLink[] = "mailto: tarvolin@example.com";
inline constexpr char kMakerWeb[] = "https://www.example.com/tarvolin";

// Started without a target, "Run a File Now..." is shown at the top and everything below it
// moves down by 575 twips in a window of this outer height.
inline constexpr int kNoTargetWindowHeight = 5555;

struct ControlTop {
    const char* name;
    int top;
};
inline constexpr std::array<ControlTop, 8> kNoTargetTops = {{
    {"Frame1", 695},
    {"Frame2", 2255},
    {"List1", 2495},
    {"CMD_ADD", 2735},
    {"CMD_REMOVE", 3215},
    {"CMD_File", 4235},
    {"CMD_ClearAll", 4655},
    {"CMD_OK", 4655},
}};

}  // namespace tarvo
