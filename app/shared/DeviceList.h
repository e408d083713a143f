#pragma once
// Columns of the device list lvKKMconnect, by identity; each keeps its identity whatever its
// position or visibility.
namespace ui {

enum DeviceColumn {
    colKkm = 0,   // "ККМ": register name
    colCom,       // "COM порт": register port
    colEou,       // "Порт EoU"
    colState,     // "Состояние порта"
    colIp,        // "IP адрес"
    colKkmProxy,  // "kkmproxy": register port's device name (hidden)
    colEouProxy,  // "eouproxy": EoU port's device name (hidden)
    colSpeed,     // "speed": port speed (hidden)
    deviceColumnCount
};

}  // namespace ui
