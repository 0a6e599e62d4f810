#pragma once
#include <QPainter>
#include <QString>
#include <vector>

namespace clipart {

// One picture of the collection: its file below the Clipart folder (the
// extension chooses GIF, BMP or JPEG), its size in pixels, and how to draw it
// on a transparent canvas of that size.
struct Piece {
    QString file;
    int width;
    int height;
    void (*draw)(QPainter&);
};

std::vector<Piece> clipartPieces();
std::vector<Piece> talkBubbles();

// hats.cpp
void drawTopHat(QPainter& p);
void drawCowboyHat(QPainter& p);
void drawPartyHat(QPainter& p);
void drawCrown(QPainter& p);
void drawHalo(QPainter& p);
// eyewear.cpp
void drawRoundGlasses(QPainter& p);
void drawSunglasses(QPainter& p);
void drawGooglyEyes(QPainter& p);
// face.cpp
void drawHandlebarMoustache(QPainter& p);
void drawBeard(QPainter& p);
void drawClownNose(QPainter& p);
void drawClownWig(QPainter& p);
void drawBunnyEars(QPainter& p);
void drawDevilHorns(QPainter& p);
// props.cpp
void drawBowTie(QPainter& p);
void drawPartyHorn(QPainter& p);
void drawPipe(QPainter& p);
void drawHelloBadge(QPainter& p);
void drawMugshotSign(QPainter& p);
// bubbles.cpp
void drawRoundSpeech(QPainter& p);
void drawOvalSpeechLeft(QPainter& p);
void drawOvalSpeechRight(QPainter& p);
void drawThoughtCloud(QPainter& p);
void drawShout(QPainter& p);
void drawWhisper(QPainter& p);
void drawSpeechBox(QPainter& p);
void drawCaption(QPainter& p);

}  // namespace clipart
