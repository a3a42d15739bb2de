#pragma once
// Everything of the database access layer.
