#pragma once

class QWidget;

// Moves a top-level window so that its frame sits in the middle of its screen's free area.
void centreOnScreen(QWidget* window);
