// Property records of the actors that the report lists, and their readers.
#pragma once

#include <string_view>

#include "level/actors.h"

namespace brushwright {

// Fill the header or sound fields from the actor window (start, end).
void ReadActorHeader(std::string_view text, int start, int end, ActorHeader& record);
void ReadSound(std::string_view text, int start, int end, SoundRecord& sound);

// Each reader stores its record's defaults, finds the next `class_key` at or after `pos`, reads
// the actor up to its "End Actor" and moves `pos` just past it. Returns false (pos unmoved) when
// there is no such actor or it has no "End Actor". A 16-bit field whose value lies outside
// -32768..32767 throws BrushError.
bool ReadLight(std::string_view text, int& pos, std::string_view class_key, LightRecord& record);
bool ReadTrigger(std::string_view text, int& pos, std::string_view class_key,
                 TriggerRecord& record);
bool ReadTeleporter(std::string_view text, int& pos, std::string_view class_key,
                    TeleporterRecord& record);
bool ReadPlayerStart(std::string_view text, int& pos, std::string_view class_key,
                     PlayerStartRecord& record);

}  // namespace brushwright
