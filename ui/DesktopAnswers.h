#pragma once

#include "engine/Operation.h"

class Desktop;

// The user's answer to a question an operation raised, asked through the
// desktop: the window and the command line answer alike.
Answer answerThroughDesktop(Desktop &desktop, const Question &question);
