#include "pieces.h"

namespace clipart {

std::vector<Piece> clipartPieces() {
    return {
        {"Top Hat.gif", 300, 250, drawTopHat},
        {"Cowboy Hat.gif", 380, 230, drawCowboyHat},
        {"Party Hat.gif", 220, 300, drawPartyHat},
        {"Crown.gif", 320, 230, drawCrown},
        {"Halo.gif", 300, 110, drawHalo},
        {"Round Glasses.gif", 380, 150, drawRoundGlasses},
        {"Sunglasses.gif", 400, 150, drawSunglasses},
        {"Googly Eyes.gif", 330, 170, drawGooglyEyes},
        {"Handlebar Moustache.gif", 360, 130, drawHandlebarMoustache},
        {"Beard.gif", 340, 380, drawBeard},
        {"Clown Nose.gif", 160, 160, drawClownNose},
        {"Clown Wig.gif", 460, 300, drawClownWig},
        {"Bunny Ears.gif", 260, 330, drawBunnyEars},
        {"Devil Horns.gif", 320, 124, drawDevilHorns},
        {"Bow Tie.gif", 260, 140, drawBowTie},
        {"Party Horn.gif", 380, 170, drawPartyHorn},
        {"Pipe.gif", 330, 230, drawPipe},
        {"Hello Badge.jpg", 320, 220, drawHelloBadge},
        {"Mugshot Sign.bmp", 360, 200, drawMugshotSign},
    };
}

std::vector<Piece> talkBubbles() {
    return {
        {"Round Speech.gif", 300, 300, drawRoundSpeech},
        {"Oval Speech Left.gif", 400, 260, drawOvalSpeechLeft},
        {"Oval Speech Right.gif", 400, 260, drawOvalSpeechRight},
        {"Thought Cloud.gif", 400, 300, drawThoughtCloud},
        {"Shout.gif", 420, 300, drawShout},
        {"Whisper.gif", 400, 260, drawWhisper},
        {"Speech Box.gif", 360, 260, drawSpeechBox},
        {"Caption.bmp", 380, 150, drawCaption},
    };
}

}  // namespace clipart
