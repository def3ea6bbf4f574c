#include "app/TutorialWindowText.h"

QString tutorialUsageText()
{
    // The blank runs and trailing blanks are part of the text: the two long item lines were padded
    // so that their tails wrap onto a line of their own in the text box.
    const QString crlf = QStringLiteral("\r\n");
    const QString fiveBlanks(5, QLatin1Char(' '));
    const QString item = QStringLiteral("    - ");

    QString text;
    text += fiveBlanks + crlf;
    text += QStringLiteral("Il programma attiva automaticamente le opzioni selezionabili secondo due sequenze logiche:")
        + crlf + fiveBlanks + crlf;
    text += QStringLiteral("1) per tutte le sostanze infiammabili e/o tossiche:") + crlf;
    text += item + QStringLiteral("scegliere la sostanza o, in alternativa, il CAS;") + crlf;
    text += item + QStringLiteral("visionare le classi cui può appartenere la sostanza e scegliere quella desiderata;")
        + crlf;
    text += item + QStringLiteral("scegliere una delle ipotesi incidentali (ipotesi più probabile o ipotesi media);")
        + crlf;
    text += item + QStringLiteral("inserire la tipologia di detenzione (ad es.: stoccaggio, autobotte etc.);") + crlf;
    text += item + QStringLiteral("selezionare la quantità stoccata oppure il diametro della condotta;") + crlf;
    text += item
        + QStringLiteral("lanciare il run del programma premendo il bottone in basso a sinistra: viene visualizzata")
        + QString(10, QLatin1Char(' ')) + QStringLiteral("la maschera dei risultati;") + crlf;
    text += item + QStringLiteral("se desiderato effettuare il salvataggio su file") + crlf;
    text += item
        + QStringLiteral("se desiderato visualizzare i cerchi di danno sulla mappa da file immagine; è possibile")
        + QString(16, QLatin1Char(' ')) + QStringLiteral("stampare la mappa ") + crlf + fiveBlanks + crlf;
    text += QStringLiteral("2) per le sostanze infiammabili è possibile anche selezionare direttamente una classe di "
                           "interesse (ad esempio: 2.2 - gas infiammabili liquefatti per refrigerazione); "
                           "successivamente procedere come indicato precedentemente a partire dalla scelta "
                           "dell'ipotesi incidentale.")
        + crlf + fiveBlanks + crlf;
    text += QStringLiteral("N.B.: in qualsiasi momento è possibile tornare alla finestra principale e, premendo il "
                           "bottone RESET, effettuare il calcolo delle distanze di danno per un nuovo caso. ");
    return text;
}
