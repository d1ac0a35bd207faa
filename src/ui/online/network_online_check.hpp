// Whether the machine is on line, asked of the operating system's network information.
// When the system cannot tell, the answer is "on line" and the web view shows its own error page.
#pragma once

#include "ui/common/prompts.hpp"

namespace spot {

class NetworkOnlineCheck final : public OnlineCheck {
public:
  bool isOnline() override;
};

} // namespace spot
