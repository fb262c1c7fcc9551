#include "app/cli/cli_options.h"

#include <string_view>

#include "common/state.h"

namespace {

bool isFlagKey(std::string_view key) {
  for (const FlagKey& flag : flagKeys) {
    if (flag.key == key) return true;
  }
  return false;
}

}  // namespace

bool parseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&](std::optional<std::string>& slot) {
      if (i + 1 >= argc) {
        error = "Option " + std::string(arg) + " braucht einen Ordner als Wert";
        return false;
      }
      slot = argv[++i];
      return true;
    };
    if (arg == "--config") {
      if (!value(options.configFolder)) return false;
    } else if (arg == "--source") {
      if (!value(options.source)) return false;
    } else if (arg == "--target") {
      if (!value(options.target)) return false;
    } else if (arg == "--covers") {
      if (!value(options.covers)) return false;
    } else if (arg == "--save") {
      options.save = true;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg.substr(0, 5) == "--no-" && isFlagKey(arg.substr(5))) {
      options.flags.emplace_back(std::string(arg.substr(5)), 0);
    } else if (arg.substr(0, 2) == "--" && isFlagKey(arg.substr(2))) {
      options.flags.emplace_back(std::string(arg.substr(2)), 1);
    } else {
      error = "unbekannte Option: " + std::string(arg);
      return false;
    }
  }
  return true;
}

std::string cliHelpText() {
  return "Aufruf: liedkorb-cli [OPTIONEN]\n"
         "Sortiert MP3-Dateien nach ihrem ID3-Tag, wie \"Start\" im Programm Liedkorb.\n"
         "Ohne Optionen gelten die gespeicherten Einstellungen.\n"
         "\n"
         "  --config ORDNER   Ordner der Dateien liedkorb.INI, liedkorb.LOG und CRC.BIN\n"
         "  --source ORDNER   Quellpfad (quell-pfad)\n"
         "  --target ORDNER   Zielpfad (ziel-pfad)\n"
         "  --covers ORDNER   Coverpfad (cover-pfad)\n"
         "  --crc             Duplikate ignorieren (CRC)\n"
         "  --crc-save        CRC-Tabelle speichern\n"
         "  --cover           Cover kopieren\n"
         "  --unbekannt       Unbekanntes kopieren\n"
         "  --genre           Verzeichnisse f\xC3\xBCr Genre anlegen\n"
         "  --kuenstler       Verzeichnisse f\xC3\xBCr K\xC3\xBCnstler anlegen\n"
         "  --saeubern        Namen s\xC3\xA4ubern\n"
         "  --nursaeubern     nur Namen s\xC3\xA4ubern (im Quellordner)\n"
         "  --umbenennen      nur Titel umbenennen (im Quellordner)\n"
         "  --makealbum       Unterverzeichnis f\xC3\xBCr jedes Album\n"
         "  --loeschen        Datei nach dem Kopieren l\xC3\xB6schen\n"
         "  --rekursiv        rekursiver Verzeichnisscan\n"
         "  --kollision       Kollisionen umbenennen\n"
         "  --norename        Dateinamen beibehalten\n"
         "  --no-SCHALTER     schaltet einen der Schalter oben f\xC3\xBCr diesen Lauf aus\n"
         "  --save            Einstellungen dieses Laufs in liedkorb.INI speichern\n"
         "  --quiet           keine Fortschrittsanzeige\n"
         "  --help            diese Hilfe\n"
         "  --version         Version ausgeben\n"
         "\n"
         "Ende: 0 nach einem Lauf, 1 wenn der Quellordner fehlt, 2 bei falschem Aufruf,\n"
         "3 wenn Dateien nicht kopiert werden konnten oder ein anderer Lauf den\n"
         "Konfigurationsordner benutzt, 130 nach Abbruch mit Strg+C (oder SIGTERM, SIGHUP).\n";
}
