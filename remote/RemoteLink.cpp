#include "remote/RemoteLink.h"

#include <climits>
#include <utility>

namespace kelvandor {

CRemoteLink::CRemoteLink(const std::atomic<std::uint32_t>& comPort, HandOverFunction handOver,
                         CComPorts& ports, RemoteClock clock)
    : comPort_(comPort), handOver_(std::move(handOver)), reader_(ports, *this, std::move(clock)) {}

CRemoteLink::~CRemoteLink() {
    reader_.Stop();
}

int CRemoteLink::RemotePortIndex() const {
    // A stored value too large for an int stays too large: such a port never opens.
    const std::uint32_t index = comPort_.load();
    return index > INT_MAX ? INT_MAX : static_cast<int>(index);
}

void CRemoteLink::HandOver(const RemotePress& press) {
    if (handOver_) {
        handOver_(press);
    }
}

}  // namespace kelvandor
