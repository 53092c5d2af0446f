#pragma once

class FileTransfer;

// Sends a firmware image chosen by the user and has the unit confirm what it stored.
// Assumes a passed link check just before.
void UpdateFirmware(FileTransfer &transfer);
