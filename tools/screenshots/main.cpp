// Renders the window for the documentation: zu42screenshots <folder> [--all-pages] [--tools]
#include "app/windowpictures.h"

int main(int argc, char *argv[])
{
    return WindowPictures::run(argc, argv);
}
