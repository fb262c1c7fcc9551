#pragma once

// Reads the seventeen settings from the INI file (iniPath), allocates the
// checksum buffer and the duplicate table, and loads CRC.BIN with crc-save.
void loadSettings();
// Writes the seventeen settings (atomically) and, with crc-save, CRC.BIN.
void saveSettings();
