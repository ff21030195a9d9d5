#pragma once
// The carousel fetch, run once per installation on a thread of its own: asks
// the API for the product's pictures in the current language and keeps a copy
// of each as pr_<n>.png in the language's folder (the folder of text.ini),
// downloading only what is missing or differs from the listed MD5.

#include <string>

class ICarouselWindow;
class LanguageManager;

// Asks GetCarouselUrl's address. The banner count is set only for an answer
// with code 1, to its number of entries, before any picture is fetched; the
// ready flag is raised in every case, last. Both objects must outlive the call.
void FetchCarouselImages(const LanguageManager& languages, ICarouselWindow& window);
// The same with the API address given.
void FetchCarouselImages(const LanguageManager& languages, const std::wstring& apiUrl, ICarouselWindow& window);
