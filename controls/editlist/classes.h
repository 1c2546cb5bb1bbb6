#pragma once
// Registers the classes of the framed edit and list controls with the form reader,
// so a class named only in a form stream is never dropped by the linker. A program
// that reads forms using these classes calls it once at start-up (it also registers
// the basic controls' and the foundation's classes).
void RegisterEditListClasses();
