# Operation page (Betrieb): captions and help texts per language.
# id: (caption or None, help)

VEL_HELP = {
 'de': "Strömungsgeschwindigkeit des Mediums aus der letzten Abfrage des Geräts.\nAkt: aktueller Wert, Max/Min: größter und kleinster Wert seit dem letzten Reset.",
 'en': "Flow velocity of the medium from the latest poll of the device.\nActual: current value; Max/Min: highest and lowest value since the last reset.",
 'fr': "Vitesse d'écoulement du fluide relevée à la dernière interrogation de l'appareil.\nActuel : valeur instantanée ; Max/Min : valeurs maximale et minimale depuis la dernière réinitialisation.",
}
FLOW_HELP = {
 'de': "Volumenstrom aus der letzten Abfrage des Geräts.\nAkt: aktueller Wert, Max/Min: größter und kleinster Wert seit dem letzten Reset.",
 'en': "Volume flow from the latest poll of the device.\nActual: current value; Max/Min: highest and lowest value since the last reset.",
 'fr': "Débit volumique relevé à la dernière interrogation de l'appareil.\nActuel : valeur instantanée ; Max/Min : valeurs maximale et minimale depuis la dernière réinitialisation.",
}
TEMP_HELP = {
 'de': "Temperatur des Mediums aus der letzten Abfrage des Geräts.\nAkt: aktueller Wert, Max/Min: größter und kleinster Wert seit dem letzten Reset.",
 'en': "Temperature of the medium from the latest poll of the device.\nActual: current value; Max/Min: highest and lowest value since the last reset.",
 'fr': "Température du fluide relevée à la dernière interrogation de l'appareil.\nActuel : valeur instantanée ; Max/Min : valeurs maximale et minimale depuis la dernière réinitialisation.",
}
TOT_HELP = {
 'de': "Totalisator: seit dem letzten Zurücksetzen aufsummierte Menge,\nin der am Gerät eingestellten Einheit.",
 'en': "Totaliser: the quantity summed up since it was last reset,\nin the unit set on the device.",
 'fr': "Totalisateur : quantité cumulée depuis sa dernière remise à zéro,\ndans l'unité réglée sur l'appareil.",
}
UNIT_HELP = {
 'de': "Einheit, in der das Gerät diese Werte liefert.\nSie wird bei jeder Abfrage vom Gerät übernommen und auf der Seite Konfiguration eingestellt.",
 'en': "Unit in which the device reports these values.\nIt is taken from the device at every poll and set on the Configuration page.",
 'fr': "Unité dans laquelle l'appareil transmet ces valeurs.\nElle est lue dans l'appareil à chaque interrogation et se règle dans l'onglet Configuration.",
}
COLUMN_HELP = {
 'de': "Akt: aktueller Wert. Max und Min: Extremwerte seit dem letzten Reset Max bzw. Reset Min.",
 'en': "Actual: current value. Max and Min: extreme values since the last Reset max or Reset min.",
 'fr': "Actuel : valeur instantanée. Max et Min : valeurs extrêmes depuis le dernier « Réinit. max » ou « Réinit. min ».",
}
LOWFLOW_HELP = {
 'de': "Schleichmengenunterdrückung, die das Gerät gerade verwendet, in Prozent.\nDurchflüsse unterhalb dieser Schwelle zeigt das Gerät als null an.",
 'en': "Low-flow suppression currently used by the device, in percent.\nFlows below this threshold are shown as zero by the device.",
 'fr': "Seuil de suppression des débits de fuite appliqué actuellement par l'appareil, en %.\nEn dessous de ce seuil, l'appareil affiche un débit nul.",
}
NEWLOWFLOW_HELP = {
 'de': "Neuer Wert der Schleichmengenunterdrückung in Prozent.\n0 wählt den Nullpunktabgleich, 1 bis 10 den neuen Schwellwert.",
 'en': "New low-flow suppression value in percent.\n0 selects the zero-point adjustment, 1 to 10 the new threshold.",
 'fr': "Nouveau seuil de suppression des débits de fuite, en %.\n0 sélectionne le réglage du zéro, 1 à 10 le nouveau seuil.",
}
ERROR_HELP = {
 'de': "Aktueller Fehler, den das Gerät meldet, als Text.\nDer Tooltip dieses Feldes erklärt den gemeldeten Fehler.",
 'en': "Current error reported by the device, as text.\nThe tooltip of this field explains the reported error.",
 'fr': "Défaut actuellement signalé par l'appareil, en clair.\nL'info-bulle de ce champ explique le défaut signalé.",
}

def texts(lang):
    t = {
        'de': {
            1095: ("Akt", COLUMN_HELP), 1096: ("Max", COLUMN_HELP), 1097: ("Min", COLUMN_HELP),
            1092: ("Strömungsgeschwindigkeit", VEL_HELP),
            1100: ("Volumenstrom", FLOW_HELP),
            1105: ("Temperatur", TEMP_HELP),
            1121: ("Totalisator", TOT_HELP),
            1109: ("Reset Max", "Setzt die Maximalwerte im Gerät auf die aktuellen Werte zurück.\nDie neuen Werte erscheinen mit der nächsten Abfrage."),
            1110: ("Reset Min", "Setzt die Minimalwerte im Gerät auf die aktuellen Werte zurück.\nDie neuen Werte erscheinen mit der nächsten Abfrage."),
            1111: ("Reset Tot.", "Setzt den Totalisator im Gerät auf null zurück.\nDie bisher gezählte Menge geht dabei verloren."),
            1114: ("Grenzkontakt 1", "Zustand des Grenzkontakts 1 des Geräts: angehakt, wenn er geschaltet hat.\nNur Anzeige; ein Klick ändert nichts am Gerät."),
            1116: ("Grenzkontakt 2", "Zustand des Grenzkontakts 2 des Geräts: angehakt, wenn er geschaltet hat.\nNur Anzeige; ein Klick ändert nichts am Gerät."),
            1115: ("Betriebsbereit", "Betriebsbereitschaftskontakt des Geräts: angehakt, wenn das Gerät betriebsbereit meldet.\nNur Anzeige."),
            1123: ("Fehlerkontakt", "Fehlerkontakt des Geräts: angehakt, wenn das Gerät einen Fehler über diesen Kontakt meldet.\nNur Anzeige; den Fehler selbst zeigt das Feld Akt. Fehler."),
            1124: ("Messung Start", "Startet die Messung im Gerät.\nVerwenden Sie diese Taste, wenn die Messung zuvor angehalten wurde."),
            1125: ("Messung Stop", "Hält die Messung im Gerät an.\nDie angezeigten Werte ändern sich danach nicht mehr, bis die Messung wieder gestartet wird."),
            1126: ("Aufzeichnung Start", "Startet die Aufzeichnung aller Abfragen in eine CSV-Datei, die Sie im folgenden Dialog wählen.\nDie Taste ist verfügbar, sobald die erste Abfrage vollständig ist."),
            1127: ("Aufzeichnung Stop", "Beendet die laufende Aufzeichnung.\nDie Datei ist nach jeder Zeile vollständig gespeichert."),
            1129: (None, "Leuchtet im Wechsel, solange eine Aufzeichnung läuft."),
            1155: ("Schleichmenge akt.", LOWFLOW_HELP),
            1130: (None, LOWFLOW_HELP),
            1119: ("%", LOWFLOW_HELP),
            1113: ("Schleichmenge neu", NEWLOWFLOW_HELP),
            1112: (None, NEWLOWFLOW_HELP),
            1131: ("%", NEWLOWFLOW_HELP),
            1153: ("Schleichmenge setzen", "Überträgt den gewählten Wert der Schleichmengenunterdrückung an das Gerät.\nDas Ergebnis wird in einer Meldung angezeigt."),
            1154: ("Nullpunktabgleich", "Startet den Nullpunktabgleich des Geräts (Auswahl 0).\nNur bei Durchfluss null ausführen; das Ergebnis wird in einer Meldung angezeigt."),
            1118: ("Akt. Fehler", ERROR_HELP),
            1117: (None, "Aktueller Fehler des Geräts.\nHier steht die Erklärung zum gemeldeten Fehler, sobald das Gerät abgefragt wurde."),
            1128: ("Reset Fehler.", "Setzt den im Gerät gespeicherten Fehler zurück.\nBesteht die Ursache weiter, meldet das Gerät den Fehler erneut."),
        },
        'en': {
            1095: ("Actual", COLUMN_HELP), 1096: ("Max", COLUMN_HELP), 1097: ("Min", COLUMN_HELP),
            1092: ("Flow velocity", VEL_HELP),
            1100: ("Volume flow", FLOW_HELP),
            1105: ("Temperature", TEMP_HELP),
            1121: ("Totaliser", TOT_HELP),
            1109: ("Reset max", "Resets the maximum values in the device to the current values.\nThe new values appear with the next poll."),
            1110: ("Reset min", "Resets the minimum values in the device to the current values.\nThe new values appear with the next poll."),
            1111: ("Reset totaliser", "Resets the totaliser in the device to zero.\nThe quantity counted so far is lost."),
            1114: ("Limit contact 1", "State of limit contact 1 of the device: ticked when it has switched.\nDisplay only; clicking changes nothing on the device."),
            1116: ("Limit contact 2", "State of limit contact 2 of the device: ticked when it has switched.\nDisplay only; clicking changes nothing on the device."),
            1115: ("Ready", "Ready contact of the device: ticked when the device reports that it is ready.\nDisplay only."),
            1123: ("Error contact", "Error contact of the device: ticked when the device signals an error on this contact.\nDisplay only; the error itself is shown in the Current error field."),
            1124: ("Start measuring", "Starts measuring in the device.\nUse it after measuring has been stopped."),
            1125: ("Stop measuring", "Stops measuring in the device.\nThe values shown no longer change until measuring is started again."),
            1126: ("Start recording", "Starts recording every poll to a CSV file that you choose in the following dialog.\nThe button becomes available once the first poll is complete."),
            1127: ("Stop recording", "Ends the running recording.\nThe file is complete on disk after every row."),
            1129: (None, "Blinks while a recording is running."),
            1155: ("Low-flow suppression", LOWFLOW_HELP),
            1130: (None, LOWFLOW_HELP),
            1119: ("%", LOWFLOW_HELP),
            1113: ("New low-flow suppression", NEWLOWFLOW_HELP),
            1112: (None, NEWLOWFLOW_HELP),
            1131: ("%", NEWLOWFLOW_HELP),
            1153: ("Set low-flow suppression", "Sends the selected low-flow suppression value to the device.\nThe result is shown in a message."),
            1154: ("Zero-point adjustment", "Starts the zero-point adjustment of the device (selection 0).\nRun it only at zero flow; the result is shown in a message."),
            1118: ("Current error", ERROR_HELP),
            1117: (None, "Current error of the device.\nThe explanation of the reported error appears here once the device has been polled."),
            1128: ("Reset error", "Resets the error stored in the device.\nIf the cause persists, the device reports the error again."),
        },
        'fr': {
            1095: ("Actuel", COLUMN_HELP), 1096: ("Max", COLUMN_HELP), 1097: ("Min", COLUMN_HELP),
            1092: ("Vitesse d'écoulement", VEL_HELP),
            1100: ("Débit volumique", FLOW_HELP),
            1105: ("Température", TEMP_HELP),
            1121: ("Totalisateur", TOT_HELP),
            1109: ("Réinit. max", "Réinitialise les valeurs maximales de l'appareil aux valeurs actuelles.\nLes nouvelles valeurs s'affichent à la prochaine interrogation."),
            1110: ("Réinit. min", "Réinitialise les valeurs minimales de l'appareil aux valeurs actuelles.\nLes nouvelles valeurs s'affichent à la prochaine interrogation."),
            1111: ("RAZ totalisateur", "Remet à zéro le totalisateur de l'appareil.\nLa quantité totalisée jusqu'ici est perdue."),
            1114: ("Contact de seuil 1", "État du contact de seuil 1 de l'appareil : coché lorsqu'il est commuté.\nAffichage uniquement ; cliquer ne modifie rien dans l'appareil."),
            1116: ("Contact de seuil 2", "État du contact de seuil 2 de l'appareil : coché lorsqu'il est commuté.\nAffichage uniquement ; cliquer ne modifie rien dans l'appareil."),
            1115: ("Appareil prêt", "Contact « prêt » de l'appareil : coché lorsque l'appareil signale qu'il est prêt.\nAffichage uniquement."),
            1123: ("Contact de défaut", "Contact de défaut de l'appareil : coché lorsque l'appareil signale un défaut par ce contact.\nAffichage uniquement ; le défaut lui-même s'affiche dans le champ Défaut actuel."),
            1124: ("Démarrer la mesure", "Démarre la mesure dans l'appareil.\nÀ utiliser lorsque la mesure a été arrêtée."),
            1125: ("Arrêter la mesure", "Arrête la mesure dans l'appareil.\nLes valeurs affichées ne changent plus jusqu'au redémarrage de la mesure."),
            1126: ("Démarrer l'enregistrement", "Enregistre chaque interrogation dans un fichier CSV, à choisir dans la boîte de dialogue qui suit.\nLe bouton devient disponible dès que la première interrogation est terminée."),
            1127: ("Arrêter l'enregistrement", "Arrête l'enregistrement en cours.\nLe fichier est complet sur le disque après chaque ligne."),
            1129: (None, "Clignote tant qu'un enregistrement est en cours."),
            1155: ("Seuil débit de fuite", LOWFLOW_HELP),
            1130: (None, LOWFLOW_HELP),
            1119: ("%", LOWFLOW_HELP),
            1113: ("Nouveau seuil", NEWLOWFLOW_HELP),
            1112: (None, NEWLOWFLOW_HELP),
            1131: ("%", NEWLOWFLOW_HELP),
            1153: ("Appliquer le seuil", "Transmet à l'appareil le seuil de débit de fuite choisi.\nLe résultat s'affiche dans un message."),
            1154: ("Réglage du zéro", "Lance le réglage du zéro de l'appareil (choix 0).\nÀ effectuer uniquement à débit nul ; le résultat s'affiche dans un message."),
            1118: ("Défaut actuel", ERROR_HELP),
            1117: (None, "Défaut actuel de l'appareil.\nL'explication du défaut signalé apparaît ici dès que l'appareil a été interrogé."),
            1128: ("Acquitter défaut", "Acquitte le défaut mémorisé dans l'appareil.\nSi la cause persiste, l'appareil signale de nouveau le défaut."),
        },
    }[lang]
    # Value fields and unit labels share the help of their row.
    for row, ids in ((VEL_HELP, (1091, 1093, 1094)), (FLOW_HELP, (1099, 1101, 1102)),
                     (TEMP_HELP, (1104, 1106, 1107)), (TOT_HELP, (1120,))):
        for i in ids:
            t[i] = (None, row)
    for unit in (1098, 1103, 1108, 1122):
        t[unit] = ("", UNIT_HELP)  # the device's unit replaces the caption at every poll
    return {k: (c, h[lang] if isinstance(h, dict) else h) for k, (c, h) in t.items()}
