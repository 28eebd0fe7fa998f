# Visualisation page (Grafik): captions and help texts per language.

def texts(lang):
    return {
        'de': {
            1130: (None, "Verlauf von Temperatur (linke Achse) und Volumenstrom (rechte Achse), ein Wert je Abfrage.\nEs werden höchstens 2000 Werte gezeichnet; danach mit Löschen neu beginnen.\nMausrad: zoomen. Rechteck mit der linken Maustaste: Ausschnitt. Rechte Maustaste ziehen: verschieben. Tastatur: + und - zoomen, Pfeiltasten verschieben, 0 zeigt alles.\nHalten friert die Anzeige ein, Zoom aus zeigt wieder alles, Speichern schreibt ein Bild (PNG, PDF) oder die Werte (CSV)."),
            1131: ("Plot Start", "Beginnt oder setzt das Zeichnen fort: jede Abfrage fügt einen Wert hinzu."),
            1132: ("Plot Stop", "Hält das Zeichnen an. Plot Start setzt es nach dem letzten Wert fort."),
            1133: ("Löschen", "Löscht die Kurven und hält das Zeichnen an. Mit Plot Start beginnt es von vorn."),
            1134: ("Aufzeichnung öffnen", "Zeigt Temperatur und Volumenstrom einer Aufzeichnung (CSV der Seite Betrieb) in der Grafik.\nDas Zeichnen hält dabei an; Plot Start zeigt wieder die laufenden Werte."),
        },
        'en': {
            1130: (None, "Temperature (left axis) and volume flow (right axis) over time, one value per poll.\nAt most 2000 values are drawn; then start again with Clear.\nMouse wheel: zoom. Drag a rectangle with the left button: zoom into it. Drag with the right button: move. Keyboard: + and - zoom, the arrow keys move, 0 shows everything.\nHold freezes the view, Zoom off shows everything again, Save writes a picture (PNG, PDF) or the values (CSV)."),
            1131: ("Plot start", "Starts or resumes drawing: every poll adds one value."),
            1132: ("Plot stop", "Pauses drawing. Plot start resumes after the last value."),
            1133: ("Clear", "Clears the curves and stops drawing. Plot start begins again from the start."),
            1134: ("Open recording", "Shows temperature and volume flow of a recording (CSV of the Operation page) in the chart.\nDrawing stops meanwhile; Plot start shows the live values again."),
        },
        'fr': {
            1130: (None, "Évolution de la température (axe de gauche) et du débit volumique (axe de droite), une valeur par interrogation.\nAu plus 2000 valeurs sont tracées ; recommencez ensuite avec Effacer.\nMolette : zoom. Rectangle avec le bouton gauche : agrandir. Glisser avec le bouton droit : déplacer. Clavier : + et - pour zoomer, flèches pour déplacer, 0 pour tout afficher.\nFiger arrête l'affichage, Zoom initial montre tout, Enregistrer écrit une image (PNG, PDF) ou les valeurs (CSV)."),
            1131: ("Démarrer le tracé", "Démarre ou reprend le tracé : chaque interrogation ajoute une valeur."),
            1132: ("Arrêter le tracé", "Interrompt le tracé. Démarrer le tracé reprend après la dernière valeur."),
            1133: ("Effacer", "Efface les courbes et arrête le tracé. Démarrer le tracé recommence depuis le début."),
            1134: ("Ouvrir un enregistrement", "Affiche la température et le débit volumique d'un enregistrement (CSV de la page Opération) dans le graphique.\nLe tracé s'arrête ; Démarrer le tracé affiche de nouveau les valeurs en cours."),
        },
    }[lang]
