#pragma once

// The fixed pauses and wait counts of the unit protocol. Tests may shorten them.
struct Timing {
    int connectTimeoutMs = 3000;
    int waitSliceMs = 10;          // one socket wait
    int answerWaits = 100;         // about a second for an answer
    int readDataWaits = 1000;      // about ten seconds without data ends a read
    // A unit that trickles its data must not hold a read for ever: it ends after this base
    // plus the announced length at the floor rate.
    int readDeadlineBaseMs = 30000;
    int readFloorBytesPerSecond = 4096;
    int sdWritePauseMs = 400;      // announcement to data phase, SD card
    int readPauseMs = 600;         // announcement to data phase, reads
    int flashWritePauseMs = 1500;  // announcement to data phase, flash
    int firmwarePauseMs = 3000;    // recognised model
    int firmwareSdPauseMs = 1000;  // unrecognised model
    int firmwareCheckPauseMs = 2000;
    int configFilePauseMs = 200;   // between configuration files
    int modbusCommandPauseMs = 300; // Modbus TCP file written to its command
    int sdCheckDelayMs = 500;      // Modbus RTU: device information asked for to the SD check
    int volumeSendDelayMs = 200;
    int jobSwitchPauseMs = 300;    // audio editor: list read to table read
    int pollTickMs = 100;
};
