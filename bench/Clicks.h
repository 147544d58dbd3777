#pragma once

// What one click of 轉換成HSI or 轉回RGB does, the baseline's way and the
// program's: convert the workspace and paint the panel. Both kinds paint into
// the same two panels of this process, kept from click to click as the
// window keeps them (the first paint gives a panel its picture).
void BaselineForwardClick();
void FastForwardClick();
void BaselineInverseClick();
void FastInverseClick();

// How many clicks this process has made: the first-call benchmarks are right
// only while it is 0.
extern int ClicksMade;
