#include "platform/platform.h"

namespace platform {

std::string_view failureText(Failure why) {
  switch (why) {
    case Failure::none: return "kein Fehler";
    case Failure::exists: return "Name schon vergeben";
    case Failure::notFound: return "nicht gefunden";
    case Failure::noSpace: return "kein Platz mehr auf dem Ziel";
    case Failure::accessDenied: return "Zugriff verweigert";
    case Failure::nameTooLong: return "Name zu lang";
    case Failure::ioError: return "Ein-/Ausgabefehler";
    case Failure::changed: return "Datei wurde während des Kopierens verändert";
    case Failure::link: return "Verknüpfung statt Datei oder Ordner";
    case Failure::notRegular: return "keine gewöhnliche Datei";
    case Failure::busy: return "von einem anderen Lauf belegt";
    case Failure::other: break;
  }
  return "Fehler";
}

}  // namespace platform
