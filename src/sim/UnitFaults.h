#pragma once

#include <QHostAddress>
#include <cstdint>

// Misbehaviour the simulated unit can be told to show.
struct UnitFaults {
    bool noAnswer = false;          // read the request, ignore it, keep the connection until the client closes
    bool negativeStatus = false;    // refuse every command with a non-acknowledging status
    bool wrongMagic = false;        // carry out the command, but the answer opens with other bytes
    bool splitAnswer = false;       // answer in two pieces, the second a little later
    bool oversizeAnswer = false;    // answer padded far beyond the client's answer buffer
    QHostAddress otherAddress;      // when set, the device information reports this address
    bool refuseConnections = false; // stop listening, so that connects are refused
    bool stallDataPhase = false;    // data phase: send nothing, or stop reading
    bool cutDataPhase = false;      // data phase: only the first half, then close
    bool longerRead = false;        // read data phase: more bytes than announced
    bool wrongFirmwareSum = false;  // the firmware check reports a sum one above the stored image's
    bool neverRead = false;         // accept connections, never read from them
    bool resetMidAnswer = false;    // send part of the answer, then reset the connection
    bool slowAnswer = false;        // answer one byte at a time
    bool refuseDataConnection = false; // stop listening from an announcement until a while later
    bool splitData = false;         // read data phase: in two pieces, the second a little later
    bool trickleData = false;       // read data phase: one byte at a time, slowly
    bool hugeReadLength = false;    // a read announces 0xFFFFFFFF bytes, whatever the file holds
    bool misEcho = false;           // answers echo the request's code with its lowest bit flipped
    std::uint8_t onlyForCode = 0;   // when set, the answer faults touch only requests with this code

    bool operator==(const UnitFaults &) const = default;
};
