// Whether the machine is on line, through QNetworkInformation.
#include "ui/online/network_online_check.hpp"

#include <QNetworkInformation>

namespace spot {

bool NetworkOnlineCheck::isOnline() {
  // The backend is loaded once per process; later calls keep the loaded one.
  if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
    return true;
  const QNetworkInformation* information = QNetworkInformation::instance();
  if (!information) return true;
  // Only a machine with no network at all is off line; a local or captive network may still
  // reach the page, and if not the view says so.
  return information->reachability() != QNetworkInformation::Reachability::Disconnected;
}

} // namespace spot
