#!/usr/bin/env python3
"""Writes tests/data/Para0001.def, the definition of the sample drive description.

Run once and check the output in; mkparafile turns it into Para0001.bin, LNG0001d.add,
LNG0001a.add and LNG0001r.add. Kept so the sample can be extended in the same style.
"""
import sys

out = []
w = out.append

w("# Sample drive description for tests and demonstrations: 10 groups of parameters,")
w("# bit-field plain texts, several units, every scaling mode and display format, hidden")
w("# parameters, German (d), American (a) and Russian (r, CP1251) names. Generate the files with")
w("#   mkparafile tests/data/Para0001.def")
w("# Every 'para' line starts with the parameter address (hexadecimal); a traffic simulator")
w("# may read the addresses from there (or run mkparafile --addresses).")
w("")
w("description Para0001.bin")
w("fileid 0x5A010001")
w("version -53")
w("marker ZENTRAXO50_BIN")
w("headerflag 1")
w("extra 0x00010203")
w("info1 Sample drive ZX-100")
w("info2 Generated description")
w("infowords 1 2 3 4 5 6 7 8")
w("infolongs 100 200 300")
w("infobyte 9")
w("")

# Plain texts: type -> (name, fields[(mask, name, de, [(value, name, de)])])
plain = {
    1: [(0x0001, "Ready", "Bereit", [(0, "Not ready", "Nicht bereit"), (1, "Ready", "Bereit")]),
        (0x0002, "Run", "Lauf", [(0, "Stopped", "Gestoppt"), (2, "Running", "Läuft")]),
        (0x0004, "Fault", "Störung", [(0, "No fault", "Keine Störung"), (4, "Fault", "Störung")]),
        (0x0008, "Warning", "Warnung", [(0, "No warning", "Keine Warnung"), (8, "Warning", "Warnung")]),
        (0x0030, "Direction", "Drehrichtung",
         [(0x00, "No direction", "Keine Richtung"), (0x10, "Forward", "Rechtslauf"),
          (0x20, "Reverse", "Linkslauf")]),
        (0x0F00, "Drive state", "Antriebszustand", [])],
    2: [(0xFFFF, "Fault code", "Fehlercode",
         [(0, "No fault", "Kein Fehler"), (1, "Overcurrent", "Überstrom"),
          (2, "Overvoltage", "Überspannung"), (3, "Undervoltage", "Unterspannung"),
          (4, "Overtemperature", "Übertemperatur"), (5, "Earth fault", "Erdschluss"),
          (6, "Motor overload", "Motorüberlast"), (7, "Phase loss", "Phasenausfall")])],
    3: [(0x0001, "Switch", "Schalter", [(0, "Off", "Aus"), (1, "On", "Ein")])],
    4: [(0x00FF, "Baud rate", "Baudrate",
         [(0, "9600 Bd", "9600 Bd"), (1, "19200 Bd", "19200 Bd"), (2, "38400 Bd", "38400 Bd"),
          (3, "57600 Bd", "57600 Bd"), (4, "115200 Bd", "115200 Bd")])],
    5: [(1 << i, "DI%d" % (i + 1), "DE%d" % (i + 1),
         [(0, "DI%d low" % (i + 1), "DE%d aus" % (i + 1)),
          (1 << i, "DI%d high" % (i + 1), "DE%d ein" % (i + 1))]) for i in range(8)],
    6: [(0x0003, "Control mode", "Regelart",
         [(0, "V/f control", "U/f-Steuerung"), (1, "Sensorless vector", "Geberlose Vektorregelung"),
          (2, "Closed loop vector", "Vektorregelung mit Geber"), (3, "Torque control", "Drehmomentregelung")])],
    7: [(0x0001, "Heatsink", "Kühlkörper", [(1, "Heatsink hot", "Kühlkörper heiß")]),
        (0x0002, "Motor", "Motor", [(2, "Motor hot", "Motor heiß")]),
        (0x0004, "Current limit", "Stromgrenze", [(4, "Current limit active", "Stromgrenze aktiv")]),
        (0x0008, "Fan", "Lüfter", [(8, "Fan worn", "Lüfter verschlissen")])],
    8: [(0x000F, "Reference source", "Sollwertquelle",
         [(0, "Keypad", "Bedienteil"), (1, "Analog input", "Analogeingang"),
          (2, "Fieldbus", "Feldbus"), (3, "Motor potentiometer", "Motorpotentiometer")])],
}
plain_types_with_american = {1, 7}

for t, fields in plain.items():
    w("plaintext %d" % t)
    for mask, name, _de, values in fields:
        w("field 0x%04X %s" % (mask, name))
        for value, vname, _vde in values:
            w("value 0x%04X %s" % (value, vname))
w("")

# Parameter tuples: (offset, ident, name, german, keys)
groups = []

def grp(base, name, de, am, params):
    groups.append((base, name, de, am, params))

V = "unit=21"
grp(0x0000, "Identification", "Identifikation", "Identification", [
    (0, "P000", "Device type", "Gerätetyp", "width=word scale=2 fmt=8"),
    (1, "P001", "Serial number", "Seriennummer", "width=long long32 scale=2 fmt=6"),
    (2, "P002", "Firmware version", "Firmwareversion", "width=long long32 scale=2 fmt=7"),
    (3, "P003", "Hardware version", "Hardwareversion", "width=word scale=2 fmt=7"),
    (4, "P004", "Boot loader version", "Bootloaderversion", "width=other scale=2 fmt=7"),
    (5, "P005", "Rated device power", "Geräte-Nennleistung", "width=word mul=1 div=100 unit=25 fmt=2"),
    (6, "P006", "Rated device current", "Geräte-Nennstrom", "width=word mul=1 div=10 unit=29 fmt=1"),
    (7, "P007", "Rated device voltage", "Geräte-Nennspannung", "width=word unit=21 fmt=0"),
    (8, "P008", "Option slot A", "Optionssteckplatz A", "width=byte scale=2 fmt=9"),
    (9, "P009", "Option slot B", "Optionssteckplatz B", "width=byte scale=2 fmt=10"),
    (10, "P010", "Checksum", "Prüfsumme", "width=word scale=3 fmt=11"),
    (11, "P011", "Parameter set version", "Parametersatzversion", "width=word scale=3 fmt=12"),
    (12, "P012", "Production date code", "Herstelldatum", "width=long long32 scale=2 fmt=13"),
    (13, "P013", "Customer code", "Kundencode", "width=long long32 scale=2 fmt=14"),
    (14, "P014", "Language code", "Sprachcode", "width=byte scale=2 fmt=15"),
    (15, "P015", "Internal test value", "Interner Testwert", "width=word hidden fmt=0"),
] + [(16 + i, "P%03d" % (16 + i), "Module %d serial" % (i + 1), "Modul %d Seriennummer" % (i + 1),
      "width=long long32 scale=2 fmt=6") for i in range(14)])

grp(0x0080, "Actual values", "Istwerte", "Actual values", [
    (0, "r000", "Output frequency", "Ausgangsfrequenz", "width=word mul=1 div=100 unit=18 fmt=2"),
    (1, "r001", "Motor speed", "Motordrehzahl", "width=word unit=17 fmt=0"),
    (2, "r002", "Output voltage", "Ausgangsspannung", "width=word mul=1 div=10 unit=21 fmt=1"),
    (3, "r003", "DC link voltage", "Zwischenkreisspannung", "width=word unit=21 fmt=0"),
    (4, "r004", "Output current", "Ausgangsstrom", "width=word mul=1 div=100 unit=29 fmt=2"),
    (5, "r005", "Motor torque", "Motordrehmoment", "width=word mul=1 div=10 unit=11 fmt=1"),
    (6, "r006", "Output power", "Ausgangsleistung", "width=word mul=1 div=100 unit=25 fmt=2"),
    (7, "r007", "Heatsink temperature", "Kühlkörpertemperatur", "width=word off=-40 unit=31 fmt=0"),
    (8, "r008", "Motor temperature", "Motortemperatur", "width=word mul=1 div=10 off=-400 unit=31 fmt=1"),
    (9, "r009", "Energy counter", "Energiezähler", "width=long long32 mul=1 div=10 unit=38 fmt=1"),
    (10, "r010", "Operating hours", "Betriebsstunden", "width=long long32 unit=10 fmt=0"),
    (11, "r011", "Motor current in %", "Motorstrom in %", "width=word mul=1 div=10 unit=37 fmt=1"),
    (12, "r012", "Speed (ft/min)", "Geschwindigkeit (ft/min)", "width=word mul=1 div=10 unit=51 fmt=1"),
    (13, "r013", "Line speed", "Bahngeschwindigkeit", "width=word mul=1 div=100 unit=13 fmt=2"),
    (14, "r014", "Position", "Position", "width=long long32 unit=36 fmt=0"),
    (15, "r015", "Output period", "Ausgangsperiode", "width=word scale=1 mul=10000 div=1 unit=8 fmt=3"),
    (16, "r016", "Reactive power", "Blindleistung", "width=word mul=1 div=100 unit=27 fmt=2"),
    (17, "r017", "Apparent power", "Scheinleistung", "width=word mul=1 div=100 unit=27 fmt=2"),
    (18, "r018", "Power factor", "Leistungsfaktor", "width=word mul=1 div=1000 fmt=3"),
    (19, "r019", "Slip frequency", "Schlupffrequenz", "width=word mul=1 div=1000 unit=18 fmt=4"),
] + [(20 + i, "r%03d" % (20 + i), "Phase %s current" % "UVW"[i % 3] if i < 3 else "Reserved value %d" % i,
      "Phasenstrom %s" % "UVW"[i % 3] if i < 3 else "Reservewert %d" % i,
      "width=word mul=1 div=100 unit=29 fmt=2") for i in range(10)])

grp(0x0100, "Status", "Status", "Status", [
    (0, "r100", "Status word", "Zustandswort", "width=word pt=1 scale=2 fmt=8"),
    (1, "r101", "Fault code", "Fehlercode", "width=word pt=2 scale=2 fmt=0"),
    (2, "r102", "Warning word", "Warnwort", "width=word pt=7 nonumber scale=2 fmt=8"),
    (3, "r103", "Digital inputs", "Digitaleingänge", "width=byte pt=5 nosuffix scale=2 fmt=6"),
    (4, "r104", "Control mode active", "Aktive Regelart", "width=byte pt=6 scale=2 fmt=0"),
    (5, "r105", "Drive enabled", "Antrieb freigegeben", "width=byte pt=3 scale=2 fmt=0"),
    (6, "r106", "Reference source active", "Aktive Sollwertquelle", "width=byte pt=8 scale=2 fmt=0"),
    (7, "r107", "Unknown plain text type", "Unbekannter Klartexttyp", "width=word pt=99 scale=2 fmt=0"),
] + [(8 + i, "r%03d" % (108 + i), "Fault history %d" % (i + 1), "Fehlerspeicher %d" % (i + 1),
      "width=word pt=2 scale=2 fmt=0") for i in range(10)]
  + [(18 + i, "r%03d" % (118 + i), "Fault time %d" % (i + 1), "Fehlerzeitpunkt %d" % (i + 1),
      "width=long long32 unit=10 fmt=0") for i in range(10)]
  + [(28, "r128", "Service flags", "Serviceflags", "width=word hidden scale=2 fmt=8")])

grp(0x0180, "Setpoints", "Sollwerte", "Setpoints", [
    (0, "P180", "Frequency setpoint", "Frequenzsollwert", "width=word mul=1 div=100 unit=18 fmt=2"),
    (1, "P181", "Minimum frequency", "Minimalfrequenz", "width=word mul=1 div=100 unit=18 fmt=2"),
    (2, "P182", "Maximum frequency", "Maximalfrequenz", "width=word mul=1 div=100 unit=18 fmt=2"),
    (3, "P183", "Reference source", "Sollwertquelle", "width=byte pt=8 scale=2 fmt=0"),
    (4, "P184", "Speed setpoint", "Drehzahlsollwert", "width=word unit=17 fmt=0"),
    (5, "P185", "Torque setpoint", "Drehmomentsollwert", "width=word mul=1 div=10 unit=37 fmt=1"),
    (6, "P186", "Jog frequency", "Tippfrequenz", "width=word mul=1 div=100 unit=18 fmt=2"),
    (7, "P187", "Skip frequency", "Ausblendfrequenz", "width=word mul=1 div=100 unit=18 fmt=2"),
] + [(8 + i, "P%03d" % (188 + i), "Fixed frequency %d" % (i + 1), "Festfrequenz %d" % (i + 1),
      "width=word mul=1 div=100 unit=18 fmt=2") for i in range(16)]
  + [(24 + i, "P%03d" % (204 + i), "Fixed speed %d" % (i + 1), "Festdrehzahl %d" % (i + 1),
      "width=word unit=17 fmt=0") for i in range(6)])

grp(0x0200, "Ramps", "Rampen", "Accel/Decel", [
    (0, "P200", "Acceleration time", "Hochlaufzeit", "width=word mul=1 div=10 unit=9 fmt=1"),
    (1, "P201", "Deceleration time", "Rücklaufzeit", "width=word mul=1 div=10 unit=9 fmt=1"),
    (2, "P202", "Quick stop time", "Schnellhaltzeit", "width=word mul=1 div=100 unit=9 fmt=2"),
    (3, "P203", "S-curve time", "S-Kurvenzeit", "width=word unit=8 fmt=0"),
    (4, "P204", "Acceleration", "Beschleunigung", "width=word mul=1 div=100 unit=14 fmt=2"),
    (5, "P205", "Jerk", "Ruck", "width=word mul=1 div=10 unit=15 fmt=1"),
    (6, "P206", "Acceleration (ft/s2)", "Beschleunigung (ft/s2)", "width=word mul=1 div=100 unit=52 fmt=2"),
    (7, "P207", "Jerk (ft/s3)", "Ruck (ft/s3)", "width=word mul=1 div=10 unit=53 fmt=1"),
    (8, "P208", "Ramp rate", "Rampensteilheit", "width=word scale=1 mul=1000 div=1 unit=18 fmt=5"),
] + [(9 + i, "P%03d" % (209 + i), "Acceleration time %d" % (i + 2), "Hochlaufzeit %d" % (i + 2),
      "width=word mul=1 div=10 unit=9 fmt=1") for i in range(10)]
  + [(19 + i, "P%03d" % (219 + i), "Deceleration time %d" % (i + 2), "Rücklaufzeit %d" % (i + 2),
      "width=word mul=1 div=10 unit=9 fmt=1") for i in range(10)])

grp(0x0280, "Motor data", "Motordaten", "Motor nameplate", [
    (0, "P280", "Motor rated power", "Motornennleistung", "width=word mul=1 div=100 unit=25 fmt=2"),
    (1, "P281", "Motor rated voltage", "Motornennspannung", "width=word unit=21 fmt=0"),
    (2, "P282", "Motor rated current", "Motornennstrom", "width=word mul=1 div=100 unit=29 fmt=2"),
    (3, "P283", "Motor rated speed", "Motornenndrehzahl", "width=word unit=17 fmt=0"),
    (4, "P284", "Motor rated frequency", "Motornennfrequenz", "width=word mul=1 div=10 unit=18 fmt=1"),
    (5, "P285", "Motor cos phi", "Motor cos phi", "width=word mul=1 div=1000 fmt=3"),
    (6, "P286", "Stator resistance", "Ständerwiderstand", "width=word unit=33 fmt=0"),
    (7, "P287", "Rotor resistance", "Läuferwiderstand", "width=word mul=1 div=1000 unit=34 fmt=3"),
    (8, "P288", "Leakage inductance", "Streuinduktivität", "width=word mul=1 div=100 unit=39 fmt=2"),
    (9, "P289", "Magnetizing current", "Magnetisierungsstrom", "width=word mul=1 div=100 unit=29 fmt=2"),
    (10, "P290", "Motor rated power (hp)", "Motornennleistung (hp)", "width=word mul=1 div=10 unit=55 fmt=1"),
    (11, "P291", "Motor rated torque", "Motornennmoment", "width=word mul=1 div=10 unit=11 fmt=1"),
    (12, "P292", "Motor rated torque (lbft)", "Motornennmoment (lbft)", "width=word mul=1 div=10 unit=47 fmt=1"),
    (13, "P293", "Motor mass", "Motormasse", "width=word mul=1 div=10 unit=6 fmt=1"),
    (14, "P294", "Encoder resolution", "Geberauflösung", "width=word unit=36 fmt=0"),
    (15, "P295", "Motor thermal time constant", "Motor-Wärmezeitkonstante", "width=word unit=9 fmt=0"),
    (16, "P296", "Motor overload limit", "Motorüberlastgrenze", "width=word mul=1 div=10 unit=37 fmt=1"),
    (17, "P297", "Motor pole pairs", "Motorpolpaare", "width=byte fmt=0"),
    (18, "P298", "Motor cable length", "Motorkabellänge", "width=word unit=3 fmt=0"),
    (19, "P299", "Motor cable length (ft)", "Motorkabellänge (ft)", "width=word unit=43 fmt=0"),
    (20, "P300", "Max torque (kNm)", "Max. Drehmoment (kNm)", "width=word mul=1 div=1000 unit=12 fmt=3"),
    (21, "P301", "Brake resistor", "Bremswiderstand", "width=word mul=1 div=10 unit=34 fmt=1"),
    (22, "P302", "Brake resistor power", "Bremswiderstandsleistung", "width=word unit=24 fmt=0"),
    (23, "P303", "Insulation resistance", "Isolationswiderstand", "width=word mul=1 div=10 unit=35 fmt=1"),
    (24, "P304", "Motor data factory", "Motordaten Werk", "width=word hidden fmt=0"),
    (25, "P305", "Winding temperature limit", "Wicklungstemperaturgrenze", "width=word unit=32 fmt=0"),
    (26, "P306", "Ambient temperature (F)", "Umgebungstemperatur (F)", "width=word unit=57 fmt=0"),
    (27, "P307", "Motor inertia", "Motorträgheit", "width=word mul=1 div=10000 unit=6 fmt=4"),
    (28, "P308", "Ratio (general)", "Verhältnis (allgemein)", "width=word mul=1 div=7 fmt=5"),
    (29, "P309", "Motor rated voltage (kV)", "Motornennspannung (kV)", "width=word mul=1 div=1000 unit=22 fmt=3"),
])

grp(0x0300, "Control", "Regelung", "Control", [
    (0, "P380", "Control mode", "Regelart", "width=byte pt=6 scale=2 fmt=0"),
    (1, "P381", "Speed controller gain", "Drehzahlregler Verstärkung", "width=word mul=1 div=1000 fmt=5"),
    (2, "P382", "Speed controller time", "Drehzahlregler Nachstellzeit", "width=word unit=8 fmt=0"),
    (3, "P383", "Current controller gain", "Stromregler Verstärkung", "width=word mul=1 div=100 fmt=5"),
    (4, "P384", "Current controller time", "Stromregler Nachstellzeit", "width=word mul=1 div=10 unit=8 fmt=1"),
    (5, "P385", "Current limit", "Stromgrenze", "width=word mul=1 div=10 unit=37 fmt=1"),
    (6, "P386", "Torque limit", "Drehmomentgrenze", "width=word mul=1 div=10 unit=37 fmt=1"),
    (7, "P387", "Switching frequency", "Taktfrequenz", "width=word mul=1 div=10 unit=19 fmt=1"),
    (8, "P388", "Sampling period", "Abtastperiode", "width=word scale=1 mul=1000 div=1 unit=7 fmt=2"),
    (9, "P389", "Control period", "Regelperiode", "width=word scale=1 mul=1 div=0 unit=8 fmt=2"),
    (10, "P390", "Boost voltage", "Boostspannung", "width=word mul=1 div=10 unit=37 fmt=1"),
    (11, "P391", "Slip compensation", "Schlupfkompensation", "width=word mul=1 div=10 unit=37 fmt=1"),
    (12, "P392", "Flux setpoint", "Flusssollwert", "width=word mul=1 div=10 unit=37 fmt=1"),
    (13, "P393", "Test divisor zero", "Test Divisor null", "width=word mul=1 div=0 unit=21 fmt=1"),
    (14, "P394", "Feedforward factor", "Vorsteuerfaktor", "width=word mul=3 div=1000 fmt=5"),
    (15, "P395", "Observer gain", "Beobachterverstärkung", "width=word mul=1 div=1 scale=1 fmt=5"),
] + [(16 + i, "P%03d" % (396 + i), "Controller parameter %d" % (i + 1), "Reglerparameter %d" % (i + 1),
      "width=word mul=1 div=1000 fmt=%d" % (i % 5)) for i in range(14)])

grp(0x0380, "Inputs and outputs", "Ein- und Ausgänge", "Inputs and outputs", [
    (0, "P480", "Digital inputs", "Digitaleingänge", "width=byte pt=5 scale=2 fmt=6"),
    (1, "P481", "Digital outputs", "Digitalausgänge", "width=byte pt=5 nonumber scale=2 fmt=6"),
    (2, "P482", "Relay 1", "Relais 1", "width=byte pt=3 scale=2 fmt=0"),
    (3, "P483", "Relay 2", "Relais 2", "width=byte pt=3 nosuffix scale=2 fmt=0"),
] + [(4 + i, "P%03d" % (484 + i), "Analog input %d" % (i + 1), "Analogeingang %d" % (i + 1),
      "width=word unit=20 fmt=0") for i in range(4)]
  + [(8 + i, "P%03d" % (488 + i), "Analog input %d scaled" % (i + 1), "Analogeingang %d skaliert" % (i + 1),
      "width=word mul=1 div=100 unit=37 fmt=2") for i in range(4)]
  + [(12 + i, "P%03d" % (492 + i), "Analog output %d" % (i + 1), "Analogausgang %d" % (i + 1),
      "width=word mul=1 div=1000 unit=28 fmt=3") for i in range(4)]
  + [(16 + i, "P%03d" % (496 + i), "DI%d function" % (i + 1), "DE%d Funktion" % (i + 1),
      "width=byte fmt=0") for i in range(8)]
  + [(24, "P504", "Encoder input", "Gebereingang", "width=long long32 unit=36 fmt=0"),
     (25, "P505", "Pulse input frequency", "Pulseingangsfrequenz", "width=word unit=19 fmt=0"),
     (26, "P506", "Thermistor input", "Thermistoreingang", "width=word unit=34 fmt=0"),
     (27, "P507", "Pressure input", "Druckeingang", "width=word mul=1 div=10 unit=56 fmt=1"),
     (28, "P508", "Flow distance", "Durchflussweg", "width=word mul=1 div=10 unit=44 fmt=1"),
     (29, "P509", "Level", "Füllstand", "width=word unit=2 fmt=0")])

grp(0x0400, "Communication", "Kommunikation", "Communication", [
    (0, "P600", "Bus address", "Busadresse", "width=byte fmt=0"),
    (1, "P601", "Baud rate", "Baudrate", "width=byte pt=4 scale=2 fmt=0"),
    (2, "P602", "Telegram timeout", "Telegrammausfallzeit", "width=word unit=8 fmt=0"),
    (3, "P603", "IP address", "IP-Adresse", "width=long long32 scale=2 fmt=7"),
    (4, "P604", "Subnet mask", "Subnetzmaske", "width=long long32 scale=2 fmt=7"),
    (5, "P605", "Gateway", "Gateway", "width=long long32 scale=2 fmt=7"),
    (6, "P606", "MAC address low", "MAC-Adresse low", "width=long long32 scale=2 fmt=6"),
    (7, "P607", "Process data mapping", "Prozessdatenzuordnung", "width=word scale=2 fmt=8"),
    (8, "P608", "Bus error counter", "Busfehlerzähler", "width=word fmt=0"),
    (9, "P609", "Telegram counter", "Telegrammzähler", "width=long long32 fmt=0"),
    (10, "P610", "Response delay", "Antwortverzögerung", "width=word unit=8 fmt=0"),
    (11, "P611", "Control word", "Steuerwort", "width=word scale=2 fmt=8"),
    (12, "P612", "Bus enabled", "Bus freigegeben", "width=byte pt=3 scale=2 fmt=0"),
] + [(13 + i, "P%03d" % (613 + i), "PD out word %d" % (i + 1), "PD-Ausgangswort %d" % (i + 1),
      "width=word scale=2 fmt=8") for i in range(8)]
  + [(21 + i, "P%03d" % (621 + i), "PD in word %d" % (i + 1), "PD-Eingangswort %d" % (i + 1),
      "width=word scale=2 fmt=8") for i in range(8)])

grp(0x0480, "Diagnostics", "Diagnose", "Diagnostics", [
    (0, "d000", "Fan operating hours", "Lüfterbetriebsstunden", "width=long long32 unit=10 fmt=0"),
    (1, "d001", "Power-on counter", "Einschaltzähler", "width=long long32 fmt=0"),
    (2, "d002", "Warning word", "Warnwort", "width=word pt=7 scale=2 fmt=8"),
    (3, "d003", "Peak current", "Spitzenstrom", "width=word mul=1 div=100 unit=30 fmt=2"),
    (4, "d004", "Peak DC link voltage", "Zwischenkreis-Spitzenspannung", "width=word unit=21 fmt=0"),
    (5, "d005", "Max heatsink temperature", "Max. Kühlkörpertemperatur", "width=word off=-40 unit=31 fmt=0"),
    (6, "d006", "Vehicle speed", "Fahrzeuggeschwindigkeit", "width=word mul=1 div=10 unit=54 fmt=1"),
    (7, "d007", "Travel speed", "Fahrgeschwindigkeit", "width=word mul=1 div=10 unit=16 fmt=1"),
    (8, "d008", "Distance", "Strecke", "width=long long32 unit=4 fmt=0"),
    (9, "d009", "Stroke", "Hub", "width=word unit=1 fmt=0"),
    (10, "d010", "Load", "Last", "width=word mul=1 div=10 unit=46 fmt=1"),
    (11, "d011", "Sample weight", "Probengewicht", "width=word unit=5 fmt=0"),
    (12, "d012", "Small weight", "Kleingewicht", "width=word mul=1 div=10 unit=45 fmt=1"),
    (13, "d013", "Torque (lbin)", "Drehmoment (lbin)", "width=word unit=48 fmt=0"),
    (14, "d014", "Feed rate", "Vorschub", "width=word mul=1 div=10 unit=49 fmt=1"),
    (15, "d015", "Belt speed", "Bandgeschwindigkeit", "width=word mul=1 div=10 unit=50 fmt=1"),
    (16, "d016", "Cabinet height", "Schrankhöhe", "width=word unit=42 fmt=0"),
    (17, "d017", "Signal level", "Signalpegel", "width=word unit=20 fmt=0"),
    (18, "d018", "Standby power", "Standby-Leistung", "width=word unit=23 fmt=0"),
    (19, "d019", "Auxiliary power", "Hilfsleistung", "width=word unit=26 fmt=0"),
    (20, "d020", "Cycle time", "Zykluszeit", "width=word mul=1 div=10 unit=7 fmt=1"),
    (21, "d021", "Unscaled raw value", "Unskalierter Rohwert", "width=word mul=5 div=0 scale=3 fmt=0"),
    (22, "d022", "Service code", "Servicecode", "width=word hidden scale=2 fmt=8"),
    (23, "d023", "Calibration", "Kalibrierung", "width=word hidden fmt=0"),
    (24, "d024", "Loop counter", "Schleifenzähler", "width=long long32 fmt=0"),
    (25, "d025", "Max cycle time", "Max. Zykluszeit", "width=word unit=7 fmt=0"),
    (26, "d026", "Lost telegrams", "Verlorene Telegramme", "width=word fmt=0"),
    (27, "d027", "Speed deviation", "Drehzahlabweichung", "width=word unit=17 fmt=0"),
    (28, "d028", "Unit 40 test", "Einheit 40 Test", "width=word unit=40 fmt=0"),
    (29, "d029", "Unit 63 test", "Einheit 63 Test", "width=word unit=63 fmt=0"),
])

# A factory group whose parameters are all hidden: not present after loading.
grp(0x0500, "Factory", "Werk", "Factory", [
    (i, "F%03d" % i, "Factory setting %d" % i, "Werkseinstellung %d" % i, "width=word hidden fmt=0")
    for i in range(8)])

american = {
    "Motor rated power (hp)": "Motor nameplate horsepower",
    "Motor rated current": "Motor full load amps",
    "Motor rated speed": "Motor base speed",
    "Ambient temperature (F)": "Ambient temperature",
    "Acceleration time": "Accel time",
    "Deceleration time": "Decel time",
    "Output frequency": "Output frequency",
}

for base, name, de, am, params in groups:
    w("group 0x%04X %s" % (base, name))
    for off, ident, pname, _pde, keys in params:
        w("para 0x%04X %s %s name=%s" % (base + off, ident, keys, pname))
    w("")

def language(letter, pick_group, pick_para, plain_names):
    w("language %s" % letter)
    for base, name, de, am, params in groups:
        g = pick_group(name, de, am)
        if g:
            w("lgroup 0x%04X %s" % (base, g))
    for base, name, de, am, params in groups:
        for off, ident, pname, pde, keys in params:
            n = pick_para(pname, pde)
            if n:
                w("lpara 0x%04X %s" % (base + off, n))
    for t, fields in plain_names:
        w("lplaintext %d" % t)
        for mask, fname, values in fields:
            w("lfield 0x%04X %s" % (mask, fname))
            for value, vname in values:
                w("lvalue 0x%04X %s" % (value, vname))
    w("")

# An address no group holds: the reader skips it and applies the rest.
def german_para(pname, pde):
    return pde

language("d", lambda n, de, am: de, german_para,
         [(t, [(m, fde, [(v, vde) for v, _vn, vde in vals]) for m, _fn, fde, vals in fields])
          for t, fields in plain.items()] + [(55, [(1, "Unbekannt", [(1, "Unbekannt")])])])
out.insert(out.index("lpara 0x0100 Zustandswort"), "lpara 0x7000 Unbekannte Adresse")

american_plain = [(1, [(0x0004, "Fault", [(4, "Trip")]), (0x0030, "Direction", [(0x10, "Forward"), (0x20, "Reverse")])]),
                  (7, [(0x0008, "Fan", [(8, "Fan service due")])])]
language("a", lambda n, de, am: am if am != n else None, lambda p, d: american.get(p), american_plain)

# Russian (CP1251 in the file): group names and a few parameters and plain texts.
russian_groups = {
    0x0000: "Идентификация", 0x0080: "Фактические значения", 0x0100: "Состояние",
    0x0180: "Уставки", 0x0200: "Рампы", 0x0280: "Данные двигателя", 0x0300: "Регулирование",
    0x0380: "Входы и выходы", 0x0400: "Связь", 0x0480: "Диагностика",
}
russian_params = {
    0x0080: "Выходная частота", 0x0081: "Скорость двигателя", 0x0087: "Температура радиатора",
    0x0100: "Слово состояния", 0x0101: "Код ошибки", 0x0200: "Время разгона",
}
w("language r")
for base, name in russian_groups.items():
    w("lgroup 0x%04X %s" % (base, name))
for address, name in russian_params.items():
    w("lpara 0x%04X %s" % (address, name))
w("lplaintext 2")
w("lfield 0xFFFF Код ошибки")
w("lvalue 0x0000 Нет ошибки")
w("lvalue 0x0001 Перегрузка по току")
w("")

sys.stdout.write("\n".join(out) + "\n")
