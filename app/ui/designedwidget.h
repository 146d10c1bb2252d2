// A control of the shared table as a Qt widget, for both Qt windows: its
// kind's widget with the table's name, text, place, font, colour and state.
#pragma once

struct ControlDesign;
class QWidget;

QWidget* createDesigned(const ControlDesign& design, QWidget* parent);
