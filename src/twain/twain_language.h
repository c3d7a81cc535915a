#pragma once

// The languages of an identity. tlUserLocale stands for the user's locale
// (code -1); every later value n stands for the protocol's language code n - 1,
// in the protocol's order.
enum TTwainLanguage {
    tlUserLocale, tlDanish, tlDutch, tlInternationalEnglish, tlFrenchCanadian, tlFinnish, tlFrench, tlGerman,
    tlIcelandic, tlItalian, tlNorwegian, tlPortuguese, tlSpanish, tlSwedish, tlUsEnglish, tlAfrikaans,
    tlAlbania, tlArabic, tlArabicAlgeria, tlArabicBahrain, tlArabicEgypt, tlArabicIraq, tlArabJordan,
    tlArabicKuwait, tlArabicLebanon, tlArabicLibya, tlArabicMorocco, tlArabicOman, tlArabicQatar,
    tlArabicSaudiarabia, tlArabicSyria, tlArabicTunisia, tlArabicUae, tlArabicYemen, tlBasque, tlByelorussian,
    tlBulgarian, tlCatalan, tlChinese, tlChineseHongkong, tlChinesePeoplesRepublic, tlChineseSingapore,
    tlChineseSimplified, tlChineseTwain, tlChineseTraditional, tlCroatia, tlCzech, tlDutchBelgian,
    tlEnglishAustralian, tlEnglishCanadian, tlEnglishIreland, tlEnglishNewZealand, tlEnglishSouthAfrica,
    tlEnglishUk, tlEstonian, tlFaeroese, tlFarsi, tlFrenchBelgian, tlFrenchLuxembourg, tlFrenchSwiss,
    tlGermanAustrian, tlGermanLuxembourg, tlGermanLiechtenstein, tlGermanSwiss, tlGreek, tlHebrew,
    tlHungarian, tlIndonesian, tlItalianSwiss, tlJapanese, tlKorean, tlKoreanJohab, tlLatvian, tlLithuanian,
    tlNorewgianBokmal, tlNorwegianNynorsk, tlPolish, tlPortugueseBrazil, tlRomanian, tlRussian,
    tlSerbianLatin, tlSlovak, tlSlovenian, tlSpanishMexican, tlSpanishModern, tlThai, tlTurkish, tlUkranian,
    tlAssamese, tlBengali, tlBihari, tlBodo, tlDogri, tlGujarati, tlHarayanvi, tlHindi, tlKannada, tlKashmiri,
    tlMalayalam, tlMarathi, tlMarwari, tlMeghalayan, tlMizo, tlNaga, tlOrissi, tlPunjabi, tlPushtu,
    tlSerbianCyrillic, tlSikkimi, tlSwidishFinland, tlTamil, tlTelugu, tlTripuri, tlUrdu, tlVietnamese,
};
