# Settings page (Einstellungen): captions and help texts per language.

COM = {
 'de': "Serielle Schnittstelle, an der das KM210 angeschlossen ist.\nNach der Auswahl wird die Schnittstelle geöffnet und das Gerät identifiziert.",
 'en': "Serial port to which the KM210 is connected.\nAfter a selection the port is opened and the device is identified.",
 'fr': "Port série auquel le KM210 est raccordé.\nDès la sélection, le port est ouvert et l'appareil identifié.",
}
LANG = {
 'de': "Sprache der Beschriftungen, Hilfetexte und Meldungen aller Seiten.\nDie Titel der Registerkarten wechseln beim nächsten Programmstart.",
 'en': "Language of the captions, help texts and messages of all pages.\nThe tab titles change at the next start of the program.",
 'fr': "Langue des libellés, des textes d'aide et des messages de tous les onglets.\nLes titres des onglets ne changent qu'au prochain démarrage du programme.",
}
HW = {
 'de': "Modellbezeichnung des angeschlossenen Geräts, aus seinem Gerätetyp-Code gelesen.\n------ bedeutet: kein Gerät erkannt.",
 'en': "Model name of the connected device, read from its device type code.\n------ means: no device identified.",
 'fr': "Désignation du modèle de l'appareil raccordé, déduite de son code de type.\n------ signifie : aucun appareil identifié.",
}
SW = {
 'de': "Softwareversion des angeschlossenen Geräts.\n------ bedeutet: keine Antwort des Geräts.",
 'en': "Software version of the connected device.\n------ means: no answer from the device.",
 'fr': "Version logicielle de l'appareil raccordé.\n------ signifie : pas de réponse de l'appareil.",
}
REFRESH = {
 'de': "Mindestzeit in Sekunden zwischen zwei Abfragen der Messwerte (2 bis 9999).\nBei einem ungültigen Wert erscheint eine rote Markierung und der bisherige Wert gilt weiter.",
 'en': "Minimum time in seconds between two polls of the measured values (2 to 9999).\nAn invalid value shows a red marker and the previous value stays in effect.",
 'fr': "Intervalle minimal, en secondes, entre deux interrogations des mesures (2 à 9999).\nUne valeur non valide est signalée par un repère rouge ; la valeur précédente reste appliquée.",
}

def texts(lang):
    t = {
        'de': {
            1006: ("COM-Schnittstelle", COM), 1001: (None, COM),
            1007: (None, "Grün: das Gerät hat auf die Identifikation geantwortet."),
            1008: (None, "Rot: die Schnittstelle ließ sich nicht öffnen oder das Gerät hat nicht richtig geantwortet.\nPrüfen Sie Kabel, Stromversorgung und die gewählte Schnittstelle."),
            1005: ("Sprache", LANG), 1004: (None, LANG),
            1010: ("HW-Version", HW), 1009: (None, HW),
            1012: ("SW-Version", SW), 1011: (None, SW),
            1099: ("Aktualisierung Betrieb", REFRESH), 1098: (None, REFRESH),
            1122: (None, "Der eingegebene Wert ist ungültig: erlaubt sind ganze Sekunden von 2 bis 9999."),
            1056: ("Ausgrauen statt Ausblenden", "Angehakt: Bedienelemente, die die Gerätevariante nicht hat, werden grau dargestellt.\nNicht angehakt: sie werden ausgeblendet."),
            1: ("OK", "Wird nicht verwendet."),
        },
        'en': {
            1006: ("COM port", COM), 1001: (None, COM),
            1007: (None, "Green: the device answered the identification."),
            1008: (None, "Red: the port could not be opened or the device did not answer correctly.\nCheck the cable, the power supply and the selected port."),
            1005: ("Language", LANG), 1004: (None, LANG),
            1010: ("Hardware version", HW), 1009: (None, HW),
            1012: ("Software version", SW), 1011: (None, SW),
            1099: ("Refresh rate", REFRESH), 1098: (None, REFRESH),
            1122: (None, "The value entered is invalid: whole seconds from 2 to 9999 are allowed."),
            1056: ("Grey out instead of hiding", "Ticked: controls that the device variant lacks are shown greyed out.\nNot ticked: they are hidden."),
            1: ("OK", "Not used."),
        },
        'fr': {
            1006: ("Port COM", COM), 1001: (None, COM),
            1007: (None, "Vert : l'appareil a répondu à l'identification."),
            1008: (None, "Rouge : le port n'a pas pu être ouvert ou l'appareil n'a pas répondu correctement.\nVérifiez le câble, l'alimentation et le port choisi."),
            1005: ("Langue", LANG), 1004: (None, LANG),
            1010: ("Version matérielle", HW), 1009: (None, HW),
            1012: ("Version logicielle", SW), 1011: (None, SW),
            1099: ("Période d'actualisation", REFRESH), 1098: (None, REFRESH),
            1122: (None, "La valeur saisie n'est pas valide : entrez un nombre entier de secondes de 2 à 9999."),
            1056: ("Griser au lieu de masquer", "Coché : les commandes absentes de cette variante d'appareil sont grisées.\nNon coché : elles sont masquées."),
            1: ("OK", "Non utilisé."),
        },
    }[lang]
    return {k: (c, h[lang] if isinstance(h, dict) else h) for k, (c, h) in t.items()}
